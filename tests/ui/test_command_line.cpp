// The program's command line: --help and --version answer without a display,
// a demonstration's options reach the window and start the run after the
// splash, Qt's own options pass, and a bad value is one Spanish line and
// status 2 before any window.

#include "app/CommandLine.h"
#include "tests/ui/QtPrinters.h"
#include "ui/ErrorBox.h"
#include "ui/Ppal.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace nc {
namespace {

LaunchCommand Parse(QStringList args, const NumberFormat& format = NumberFormat{})
{
    args.prepend(QStringLiteral("neurocontrol"));
    return ParseCommandLine(args, format);
}

TEST(CommandLine, DemonstrationOptionsBesideQtsOwnReachTheWindowAndStartTheRun)
{
    const LaunchCommand c = Parse({"-platform", "offscreen", "--referencia", "22.5", "-style=fusion",
                                   "--velocidad", "20", "-reverse", "--iniciar"},
                                  NumberFormat{",", "."});
    ASSERT_TRUE(c.run) << c.err.toStdString();
    EXPECT_EQ(c.options.referencia, QStringLiteral("22,5")); // the box's own separator
    EXPECT_EQ(c.options.velocidad, QStringLiteral("20"));

    SetErrorHook([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    TPpal window;
    ApplyLaunchOptions(window, c.options);
    EXPECT_FALSE(window.Timer1->Enabled());
    window.FormActivate(); // no splash here: straight after the first activation
    EXPECT_TRUE(window.Loop().HasNetwork());
    EXPECT_TRUE(window.Timer1->Enabled());
    EXPECT_EQ(window.Timer1->Interval(), 50u);
    EXPECT_EQ(window.Edit7->text(), QStringLiteral("22,5"));
    SetErrorHook({});

    const LaunchCommand plain = Parse({});
    EXPECT_TRUE(plain.run);
    EXPECT_TRUE(plain.options.referencia.isEmpty() && plain.options.velocidad.isEmpty() && !plain.options.iniciar);
}

TEST(CommandLine, BadValuesAreOneSpanishLineAndStatusTwo)
{
    const struct {
        QStringList args;
        const char* message;
    } rows[] = {
        {{"--velocidad", "0"}, "la velocidad debe ser un número entero entre 1 y 2000, no «0»"},
        {{"--velocidad", "2001"}, "la velocidad debe ser un número entero entre 1 y 2000, no «2001»"},
        {{"--velocidad", "5.5"}, "la velocidad debe ser un número entero entre 1 y 2000, no «5.5»"},
        {{"--referencia", "360.5"}, "la referencia debe ser un número de grados entre 0 y 360, no «360.5»"},
        {{"--referencia", "-1"}, "la referencia debe ser un número de grados entre 0 y 360, no «-1»"},
        {{"--referencia", "treinta"}, "la referencia debe ser un número de grados entre 0 y 360, no «treinta»"},
        {{"--velocidad"}, "falta el valor de la opción --velocidad"},
        {{"--rapido"}, "opción desconocida: --rapido (vea neurocontrol --help)"},
        {{"30"}, "argumento inesperado: 30 (vea neurocontrol --help)"},
    };
    for (const auto& r : rows) {
        const LaunchCommand c = Parse(r.args);
        EXPECT_FALSE(c.run);
        EXPECT_EQ(c.status, 2);
        EXPECT_TRUE(c.out.isEmpty());
        EXPECT_EQ(c.err, QStringLiteral("neurocontrol: ") + QString::fromUtf8(r.message) + u'\n');
    }
}

// The installed program itself, with no display at all and no platform
// chosen: help2man runs it like this while a package builds.
TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(NC_PROGRAM), args);
        EXPECT_TRUE(p.waitForFinished(10000));
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                               QString::fromUtf8(p.readAllStandardError()));
    };
    EXPECT_EQ(run({QStringLiteral("--help")}), std::make_tuple(0, HelpText(), QString()));
    EXPECT_TRUE(HelpText().startsWith(QStringLiteral("Uso: neurocontrol [OPCIÓN]...\n")));
    EXPECT_EQ(run({QStringLiteral("--version")}), std::make_tuple(0, VersionText(), QString()));
    EXPECT_EQ(VersionText(), QStringLiteral("neurocontrol " NC_VERSION "\n"));
    const auto [status, out, err] = run({QStringLiteral("--velocidad"), QStringLiteral("0")});
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err.count(u'\n'), 1);
}

} // namespace
} // namespace nc
