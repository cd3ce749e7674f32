// SPDX-License-Identifier: MIT
#include "ui/common/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace nc {
namespace {

ErrorHook& Hook()
{
    static ErrorHook hook;
    return hook;
}

} // namespace

ErrorHook SetErrorHook(ErrorHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

QString ErrorBoxTitle()
{
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("neurocontrol") : name;
}

void ShowError(const QString& message)
{
    // The box runs its own event loop, in which a running simulation timer goes
    // on ticking; a tick that fails again must not open a second box on top of
    // the first, and so on without end. While a box is open, further messages
    // are dropped; the next failing tick after it closes reports again.
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    struct Reset {
        ~Reset() { showing = false; }
    } reset;
    if (Hook())
        Hook()(message);
    else
        QMessageBox::critical(QApplication::activeWindow(), ErrorBoxTitle(), message);
}

} // namespace nc
