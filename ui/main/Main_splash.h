// SPDX-License-Identifier: MIT
#pragma once
// The splash window: a greeting with the arm sketch, shown modally over the
// main window at its first activation. Its timer starts when the window is
// created and asks it to close on every tick; only the first tick that finds
// it shown has an effect.

#include "ui/common/Controls.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace nc {

class TSplash : public QDialog {
    Q_OBJECT
public:
    explicit TSplash(QWidget* parent = nullptr);

    // Shows the window modally; returns when it closes.
    void ShowModal();
    void Timer1Timer();

    QLabel* Label1;
    QLabel* Label2;
    QFrame* Panel1;
    TImage* Image2;
    QTimer* Timer1;
};

} // namespace nc
