// SPDX-License-Identifier: MIT
#include "ui/main/Main_splash.h"

#include "ui/common/ErrorBox.h"

#include <QGuiApplication>
#include <QScreen>

namespace nc {
namespace {

QLabel* TitleLabel(const char* text, QRect geometry, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setFont(LayoutFont("Times New Roman", "Liberation Serif", 21));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(p);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TSplash::TSplash(QWidget* parent) : QDialog(parent)
{
    LoadPictures();
    setWindowTitle(QStringLiteral("Splash"));
    setFont(LayoutFont("MS Sans Serif", "Liberation Sans", 11));
    // 204 x 237 with a sizeable frame and a title bar leaves about 196 x 210
    // inside; the controls end at 201.
    resize(196, 210);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), QSize(204, 237));
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }

    Label1 = TitleLabel("Demostración de un ", QRect(12, 1, 172, 23), this);
    Label2 = TitleLabel("Neurocontrolador", QRect(23, 23, 150, 23), this);

    // A sunken single border around a raised bevel of 1 px, 2 px inside it.
    Panel1 = new QFrame(this);
    Panel1->setGeometry(7, 50, 181, 151);
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    auto* bevel = new QFrame(Panel1);
    bevel->setGeometry(2, 2, 177, 147);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(1);
    Image2 = new TImage(Panel1);
    Image2->setGeometry(21, 9, 142, 135);
    Image2->SetPicture(QImage(QStringLiteral(":/pictures/splash.png")));

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &TSplash::Timer1Timer);
    Timer1->start();
}

void TSplash::ShowModal()
{
    exec();
}

void TSplash::Timer1Timer()
{
    // A hidden window ignores the request.
    Guarded([this] {
        if (isVisible())
            close();
    });
}

} // namespace nc
