// SPDX-License-Identifier: MIT
// Leaks on purpose, so that the sanitizer build can show which leaks
// tools/dev/lsan.supp hides. Each mode leaks one block and exits 0; LeakSanitizer
// then decides the exit status.
//   ours    allocated here, from main
//   sorted  allocated here, in a comparison that the C library's qsort calls
//   queued  allocated here, in a function that Qt's event loop runs (Qt's
//           frames beneath ours)
//   dbus    allocated inside the system's D-Bus library: a session bus
//           connection that fails (no bus address, a display to autolaunch
//           on) loses 1,032 bytes there, as Qt's own attempt does when the
//           program starts on an X display without a session bus
#include <QCoreApplication>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

// The block's address is dropped at once, so nothing reaches it.
__attribute__((noinline)) void Leak()
{
    char* volatile block = static_cast<char*>(std::malloc(77));
    block[0] = 1;
}

int LeakWhenCompared(const void* a, const void* b)
{
    Leak();
    return std::memcmp(a, b, 1);
}

// libdbus's DBusError, as its header lays it out.
struct DBusError {
    const char* name;
    const char* message;
    unsigned dummy : 5;
    void* padding;
};

int FailSessionBus()
{
    void* dbus = dlopen("libdbus-1.so.3", RTLD_NOW);
    if (!dbus) {
        std::fprintf(stderr, "leak_probe: %s\n", dlerror());
        return 2;
    }
    auto error_init = reinterpret_cast<void (*)(DBusError*)>(dlsym(dbus, "dbus_error_init"));
    auto bus_get = reinterpret_cast<void* (*)(int, DBusError*)>(dlsym(dbus, "dbus_bus_get_private"));
    auto error_free = reinterpret_cast<void (*)(DBusError*)>(dlsym(dbus, "dbus_error_free"));
    if (!error_init || !bus_get || !error_free)
        return 2;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("DISPLAY", ":leak-probe", 1);
    DBusError error;
    error_init(&error);
    constexpr int kSessionBus = 0;
    if (bus_get(kSessionBus, &error))
        return 2; // a bus after all: nothing to show
    error_free(&error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc == 2 ? argv[1] : "";
    if (std::strcmp(mode, "ours") == 0) {
        Leak();
        return 0;
    }
    if (std::strcmp(mode, "sorted") == 0) {
        char items[2] = {2, 1};
        std::qsort(items, 2, 1, LeakWhenCompared);
        return 0;
    }
    if (std::strcmp(mode, "queued") == 0) {
        QCoreApplication app(argc, argv);
        QTimer::singleShot(0, &app, [] {
            Leak();
            QCoreApplication::quit();
        });
        return app.exec();
    }
    if (std::strcmp(mode, "dbus") == 0)
        return FailSessionBus();
    std::fprintf(stderr, "usage: leak_probe ours|sorted|queued|dbus\n");
    return 2;
}
