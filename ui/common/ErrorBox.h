// SPDX-License-Identifier: MIT
#pragma once
// The application's standard error box. Every event handler of the windows
// runs inside Guarded, so an exception abandons the handler, its message is
// shown, and the event loop goes on: no exception ever reaches Qt.

#include <QString>

#include <exception>
#include <functional>

namespace nc {

// Shows the message in a critical message box titled with the program's name,
// or hands it to the hook when one is set. Not re-entrant: a message raised
// while a box is open (by a timer ticking in the box's event loop) is dropped.
void ShowError(const QString& message);

// Tests replace the modal box with a hook that records the message. An empty
// function restores the box. Returns the previous hook.
using ErrorHook = std::function<void(const QString&)>;
ErrorHook SetErrorHook(ErrorHook hook);

// The title of the box: the application's name.
QString ErrorBoxTitle();

template <class F> void Guarded(F&& handler) noexcept
{
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
}

} // namespace nc
