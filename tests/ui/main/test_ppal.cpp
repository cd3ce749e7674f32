// SPDX-License-Identifier: MIT
// The main window driven through its controls: layout, the state table of
// the commands, the speed, the up-down, the ticks, the status bar.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/Ppal.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <functional>
#include <memory>

namespace nc {
namespace {

class PpalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { errors.push_back(m); });
        window = std::make_unique<TPpal>();
    }
    void TearDown() override
    {
        window.reset();
        SetErrorHook({});
    }

    // Enabled flags of Inicializar, Controlar, Parar, Limpiar, Salir, Edit7
    // and the timer's flag, as a row of the state table.
    std::string State() const
    {
        auto f = [](bool b) { return b ? 'Y' : 'N'; };
        const TPpal& w = *window;
        return {f(w.Button11->isEnabled()), f(w.Button9->isEnabled()), f(w.Button1->isEnabled()),
                f(w.Button3->isEnabled()),  f(w.Button2->isEnabled()), f(w.Edit7->isEnabled()),
                f(w.Timer1->Enabled())};
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Waits up to 5 s for the condition. (QTRY_VERIFY would not do: outside a
    // QTest run its failure only returns from the test, which then passes.)
    static bool Soon(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }

    std::unique_ptr<TPpal> window;
    QStringList errors;
};

TEST_F(PpalTest, StartState)
{
    TPpal& w = *window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Control Neuronal de un brazo posicionador"));
    EXPECT_EQ(w.size(), QSize(599, 453));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(State(), "YNNYYYN");
    for (QLineEdit* e : {w.Edit2, w.Edit3, w.Edit4, w.Edit6})
        EXPECT_EQ(e->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Edit7->text(), QStringLiteral("30"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("5"));
    EXPECT_EQ(w.StatusBar1->PanelText(0), QStringLiteral("Mensajes"));
    EXPECT_EQ(w.StatusBar1->PanelText(1), QStringLiteral("Hora"));
    EXPECT_FALSE(w.StatusBar1->isEnabled());
    EXPECT_EQ(w.UpDown1->Position(), 30);
    EXPECT_EQ(w.Timer1->Interval(), 1000u);
    EXPECT_TRUE(w.Timer2->isActive());
    EXPECT_EQ(w.Timer2->interval(), 1000);
    EXPECT_EQ(w.Loop().muestra(), 0);
    EXPECT_EQ(w.Loop().angulo_animacion(), 90.0);
    EXPECT_TRUE(errors.isEmpty());
}

struct Place {
    const char* name;
    QRect geometry;
};

void PrintTo(const Place& r, std::ostream* os)
{
    *os << r.name;
}

class LayoutTest : public PpalTest, public ::testing::WithParamInterface<Place> {};

TEST_P(LayoutTest, ControlSitsAtItsPlace)
{
    auto* control = window->findChild<QWidget*>(QString::fromLatin1(GetParam().name));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().geometry);
}

INSTANTIATE_TEST_SUITE_P(Controls, LayoutTest,
                         ::testing::Values(Place{"Bevel7", {507, 204, 79, 34}}, Place{"Bevel3", {506, 243, 80, 163}},
                                           Place{"Image1", {27, 3, 547, 172}}, Place{"Image3", {282, 204, 220, 205}},
                                           Place{"Button2", {519, 365, 55, 26}}, Place{"Button9", {519, 293, 55, 25}},
                                           Place{"Button11", {519, 257, 55, 25}},
                                           Place{"StatusBar1", {0, 432, 599, 21}}, Place{"Edit2", {73, 182, 59, 17}},
                                           Place{"Button1", {519, 329, 55, 26}}, Place{"Edit3", {81, 410, 58, 17}},
                                           Place{"Edit4", {207, 410, 88, 17}}, Place{"Edit6", {188, 182, 88, 17}},
                                           Place{"Edit7", {54, 13, 31, 21}}, Place{"Edit1", {420, 179, 61, 21}},
                                           Place{"Button3", {518, 208, 55, 26}}, Place{"Chart1", {17, 204, 257, 204}},
                                           Place{"UpDown1", {34, 3, 17, 36}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PpalTest, LabelsKeepTheirCornerAndText)
{
    const std::pair<QLabel*, const char*> labels[]
        = {{window->Label4, "Posición º"}, {window->Label9, "Tiempo"},  {window->Label10, "Ref."},
           {window->Label5, "Velocidad"},  {window->Label6, "Fuerza "}, {window->Label7, "Vel. de simulación"}};
    const QPoint corners[] = {{17, 409}, {20, 181}, {0, 2}, {142, 409}, {135, 181}, {299, 181}};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        EXPECT_EQ(labels[i].first->text(), QString::fromUtf8(labels[i].second));
        EXPECT_EQ(labels[i].first->pos(), corners[i]);
        EXPECT_EQ(labels[i].first->font().pixelSize(), 16);
        EXPECT_EQ(labels[i].first->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
}

// The width of the text's red ink, from its first column to its last.
int InkWidth(const QImage& image)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() - std::max(c.green(), c.blue()) > 64) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    return first < 0 ? 0 : last - first + 1;
}

// The text on its own, unclipped.
int InkWidth(const QString& text, const QFont& font)
{
    QImage image(300, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(QPoint(10, 25), text);
    return InkWidth(image);
}

// Every read-out shows its whole text, up to five integer digits with their
// decimals and a sign, with either separator, in the room it has beside the
// controls that stay where they were (LayoutTest); the texts the boxes have
// the room for keep the full font. Only the loop writes them: they can be
// selected and copied, not typed into, and show no cursor.
TEST_F(PpalTest, ReadoutsShowTheirWholeTextAndOnlyTheLoopWritesThem)
{
    TPpal& w = *window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const std::pair<TReadout*, void (TPpal::*)(const std::string&)> readouts[] = {{w.Edit2, &TPpal::SetTimeText},
                                                                                  {w.Edit3, &TPpal::SetPositionText},
                                                                                  {w.Edit4, &TPpal::SetVelocityText},
                                                                                  {w.Edit6, &TPpal::SetForceText}};
    const QFont full = w.Label4->font();
    for (const auto& [readout, write] : readouts) {
        for (const char* text : {"-12345.6789", "-12345,6789", "1785.4790", "99999.95", "27.7175", "0"}) {
            (w.*write)(text);
            EXPECT_EQ(InkWidth(readout->grab().toImage()), InkWidth(QString::fromLatin1(text), readout->font()))
                << readout->objectName().toStdString() << ' ' << text;
        }
    }
    for (const auto& [readout, text] : {std::pair{w.Edit2, "1087.75"}, std::pair{w.Edit3, "27.7175"},
                                        std::pair{w.Edit4, "-12345.6789"}, std::pair{w.Edit6, "-12345,6789"}}) {
        readout->ShowText(QString::fromLatin1(text));
        EXPECT_EQ(InkWidth(readout->grab().toImage()), InkWidth(QString::fromLatin1(text), full))
            << readout->objectName().toStdString() << ' ' << text;
    }

    w.SetPositionText("30.3102");
    QTest::mouseClick(w.Edit3, Qt::LeftButton);
    QTest::keyClicks(w.Edit3, QStringLiteral("9"));
    QTest::keyClick(w.Edit3, Qt::Key_Delete);
    EXPECT_EQ(w.Edit3->text(), QStringLiteral("30.3102"));
    QTest::keyClick(w.Edit3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Edit3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("30.3102"));
    // What the window makes of a right click on the box.
    QContextMenuEvent right_click(QContextMenuEvent::Mouse, QPoint(5, 5), w.Edit3->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w.Edit3, &right_click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            items << action->text().section(u'\t', 0, 0);
    EXPECT_EQ(items, (QStringList{QStringLiteral("&Copy"), QStringLiteral("Select All")}));
    QTest::keyClick(menu, Qt::Key_Escape);
    // A tick's text in the box with the focus, then the focus elsewhere: the
    // same picture, with no cursor in the first.
    w.SetPositionText("30.3104");
    ASSERT_EQ(QApplication::focusWidget(), w.Edit3);
    const QImage focused = w.Edit3->grab().toImage();
    QTest::keyClick(w.Edit3, Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), w.Edit3);
    EXPECT_EQ(w.Edit3->grab().toImage(), focused);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PpalTest, ButtonsTextsTooltipsAndTabOrder)
{
    TPpal& w = *window;
    EXPECT_EQ(w.Button2->text(), QStringLiteral("&Salir"));
    EXPECT_EQ(w.Button9->text(), QStringLiteral("&Controlar"));
    EXPECT_EQ(w.Button2->toolTip(), QStringLiteral("Salir del demo"));
    EXPECT_EQ(w.Button9->toolTip(), QStringLiteral("Controlar"));
    EXPECT_EQ(w.Button11->toolTip(), QStringLiteral("Inicializar el Perceptron"));
    EXPECT_EQ(w.Button1->toolTip(), QStringLiteral("Parar Simulación"));
    EXPECT_EQ(w.Button3->toolTip(), QStringLiteral("Limpiar las gráficas"));
    EXPECT_TRUE(w.Edit7->toolTip().isEmpty());
}

TEST_F(PpalTest, TabVisitsEnabledControlsInOrder)
{
    TPpal& w = *window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Click(w.Button11);
    // "Parar" is disabled and the chart takes no focus yet.
    const QWidget* order[] = {w.Button2, w.Button9, w.Button11, w.Edit2,   w.Edit3,   w.Edit4,
                              w.Edit6,   w.Edit7,   w.Edit1,    w.Button3, w.UpDown1, w.Button2};
    w.Button2->setFocus();
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i + 1]) << i;
    }
}

TEST_F(PpalTest, DisabledButtonShowsNoTooltip)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), window->Button9->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->Button9, &help);
    EXPECT_FALSE(QToolTip::isVisible());
    QHelpEvent help2(QEvent::ToolTip, QPoint(5, 5), window->Button2->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->Button2, &help2);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Salir del demo"));
    QToolTip::hideText();
}

TEST_F(PpalTest, ArmAtRestBeforeTheWindowShows)
{
    const QImage& surface = window->Image3->Picture();
    ASSERT_EQ(surface.size(), QSize(220, 205));
    EXPECT_EQ(surface.pixel(110, 102) | 0xff000000u, qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(110, 80) | 0xff000000u, qRgb(0, 255, 255));
}

TEST_F(PpalTest, BannerIsClippedToTheControl)
{
    const QImage& banner = window->Image1->Picture();
    EXPECT_EQ(banner.size(), QSize(550, 200));
    EXPECT_EQ(window->Image1->size(), QSize(547, 172));
}

TEST_F(PpalTest, StateTableThroughARun)
{
    Click(window->Button11);
    EXPECT_EQ(State(), "YYNYYYN");
    Click(window->Button9);
    EXPECT_EQ(State(), "NNYNNNY");
    EXPECT_EQ(window->Timer1->Interval(), 200u);
    EXPECT_TRUE(window->Timer1->Ticking());
    Click(window->Button1);
    EXPECT_EQ(State(), "YYNYYYN");
    EXPECT_FALSE(window->Timer1->Ticking());
    EXPECT_TRUE(errors.isEmpty());
}

struct BadSpeedRow {
    const char* text;
    const char* message;
};

void PrintTo(const BadSpeedRow& r, std::ostream* os)
{
    *os << "'" << r.text << "'";
}

class BadSpeedTest : public PpalTest, public ::testing::WithParamInterface<BadSpeedRow> {};

TEST_P(BadSpeedTest, ReportsAndChangesNothing)
{
    Click(window->Button11);
    window->Edit1->setText(QString::fromUtf8(GetParam().text));
    Click(window->Button9);
    EXPECT_EQ(errors, QStringList{QString::fromUtf8(GetParam().message)});
    EXPECT_EQ(State(), "YYNYYYN");
    EXPECT_EQ(window->Timer1->Interval(), 1000u);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadSpeedTest,
                         ::testing::Values(BadSpeedRow{"abc", "'abc' is not a valid integer value"},
                                           BadSpeedRow{"", "'' is not a valid integer value"},
                                           BadSpeedRow{"1,5", "'1,5' is not a valid integer value"},
                                           BadSpeedRow{"0", "Floating point division by zero"},
                                           BadSpeedRow{"2001", kSpeedOutOfRange}, BadSpeedRow{"-5", kSpeedOutOfRange},
                                           BadSpeedRow{"-2147483648", kSpeedOutOfRange},
                                           BadSpeedRow{"2147483647", kSpeedOutOfRange}));

// Only 1 to 2000 steps per second tick; the ends of that range run.
TEST_F(PpalTest, SpeedsAtTheEndsOfTheRangeRun)
{
    Click(window->Button11);
    for (const auto& [text, interval] : {std::pair{"1", 1000u}, std::pair{"2000", 1u}}) {
        window->Edit1->setText(QString::fromLatin1(text));
        Click(window->Button9);
        EXPECT_EQ(State(), "NNYNNNY") << text;
        EXPECT_TRUE(window->Timer1->Ticking()) << text;
        EXPECT_EQ(window->Timer1->Interval(), interval) << text;
        Click(window->Button1);
    }
    EXPECT_TRUE(errors.isEmpty());
}

// The first four ticks with the reference 30: the read-outs of the control step.
TEST_F(PpalTest, TicksWriteTheReadouts)
{
    Click(window->Button11);
    const char* expected[][5] = {{"0.0000", "0.0000", "4.5021", "0.05", "89.6874"},
                                 {"0.3126", "12.3240", "3.5367", "0.1", "88.8493"},
                                 {"1.1507", "21.1207", "2.6486", "0.15", "87.6427"},
                                 {"2.3573", "27.1429", "1.8312", "0.2", "86.1908"}};
    for (const auto& row : expected) {
        window->Timer1Timer();
        EXPECT_EQ(window->Edit3->text(), QString::fromLatin1(row[0]));
        EXPECT_EQ(window->Edit4->text(), QString::fromLatin1(row[1]));
        EXPECT_EQ(window->Edit6->text(), QString::fromLatin1(row[2]));
        EXPECT_EQ(window->Edit2->text(), QString::fromLatin1(row[3]));
        EXPECT_NEAR(window->Loop().angulo_animacion(), std::stod(row[4]), 5e-5);
    }
    EXPECT_EQ(window->Loop().muestra(), 4);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PpalTest, TickThroughTheTimerReportsABadReference)
{
    Click(window->Button11);
    window->Edit7->setText(QStringLiteral("abc"));
    window->Edit1->setText(QStringLiteral("1000"));
    Click(window->Button9);
    QTRY_VERIFY_WITH_TIMEOUT(errors.size() >= 1, 5000);
    QTest::qWait(50);
    // The failing tick stopped the run: one message, and the user can mend
    // the text at once.
    EXPECT_EQ(errors, QStringList{QStringLiteral("'abc' is not a valid floating point value")});
    EXPECT_EQ(State(), "YYNYYYN");
    EXPECT_EQ(window->Loop().muestra(), 0);
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("0"));
}

// A reference too large for single precision once in radians: the tick is
// abandoned with the fault's message and shows nothing.
TEST_F(PpalTest, FloatingPointFaultInATickIsReported)
{
    Click(window->Button11);
    window->Edit7->setText(QStringLiteral("1e41"));
    window->Timer1Timer();
    EXPECT_EQ(errors, QStringList{QStringLiteral("Floating point overflow")});
    EXPECT_EQ(window->Loop().muestra(), 0);
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0"));
}

TEST_F(PpalTest, InicializarAfterARunStartsAgainFromRest)
{
    Click(window->Button11);
    for (int i = 0; i < 3; ++i)
        window->Timer1Timer();
    Click(window->Button11);
    EXPECT_EQ(window->Loop().muestra(), 0);
    EXPECT_EQ(window->Loop().angulo_animacion(), 90.0);
    window->Timer1Timer();
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("4.5021"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0.05"));
}

TEST_F(PpalTest, LimpiarPutsTheArmBackAtRest)
{
    Click(window->Button11);
    for (int i = 0; i < 5; ++i)
        window->Timer1Timer();
    ASSERT_NE(window->Loop().angulo_animacion(), 90.0);
    Click(window->Button3);
    EXPECT_EQ(window->Loop().angulo_animacion(), 90.0);
    EXPECT_EQ(window->Loop().muestra(), 0);
    EXPECT_EQ(window->Image3->Picture().pixel(110, 80) | 0xff000000u, qRgb(0, 255, 255));
    window->Timer1Timer();
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0.05"));
}

TEST_F(PpalTest, PararThenControlarContinuesTheRun)
{
    Click(window->Button11);
    window->Timer1Timer();
    window->Timer1Timer();
    Click(window->Button9);
    Click(window->Button1);
    window->Timer1Timer();
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0.15"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("1.1507"));
}

TEST_F(PpalTest, UpDownWritesTheReference)
{
    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(window->UpDown1->UpArrow(), Qt::LeftButton);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("80"));
    QTest::mouseClick(window->UpDown1->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("75"));
}

TEST_F(PpalTest, UpDownAtItsEndsLeavesTheTextAlone)
{
    for (int i = 0; i < 80; ++i)
        window->UpDown1->ClickArrow(true);
    EXPECT_EQ(window->UpDown1->Position(), 360);
    window->Edit7->setText(QStringLiteral("typed"));
    QSignalSpy clicks(window->UpDown1, &TUpDown::Click);
    window->UpDown1->ClickArrow(true);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("typed"));
    window->UpDown1->ClickArrow(false);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("355"));
}

// The arrows step from the number in the box to the next multiple of 5, also
// from a typed one; a text that is not a number leaves them their position,
// which followed the last number.
TEST_F(PpalTest, ArrowsStepFromTheNumberInTheBox)
{
    TPpal& w = *window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto type = [&](const char* text) {
        QTest::mouseClick(w.Edit7, Qt::LeftButton);
        QTest::keyClick(w.Edit7, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.Edit7, QString::fromLatin1(text));
    };
    auto arrow = [&](bool up) {
        QTest::mouseClick(up ? w.UpDown1->UpArrow() : w.UpDown1->DownArrow(), Qt::LeftButton);
        return w.Edit7->text();
    };
    const struct {
        const char* typed;
        bool up;
        const char* shown;
    } rows[] = {{"100", true, "105"}, {"102", true, "105"}, {"102", false, "100"},  {"358", true, "360"},
                {"360", true, "360"}, {"365", true, "365"}, {"400", false, "360"},  {"0", false, "0"},
                {"-3", false, "-3"},  {"-3", true, "0"},    {"1e41", false, "360"}, {"2.5", true, "5"}};
    for (const auto& row : rows) {
        type(row.typed);
        EXPECT_EQ(arrow(row.up), QString::fromLatin1(row.shown)) << row.typed << (row.up ? " up" : " down");
    }
    type("25");
    type("x");
    EXPECT_EQ(arrow(true), QStringLiteral("30"));
    // During a run the box is disabled and the arrows go on from its number.
    type("100");
    Click(w.Button11);
    Click(w.Button9);
    EXPECT_EQ(arrow(true), QStringLiteral("105"));
    Click(w.Button1);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PpalTest, UpDownWorksDuringARun)
{
    Click(window->Button11);
    Click(window->Button9);
    EXPECT_FALSE(window->Edit7->isEnabled());
    EXPECT_TRUE(window->UpDown1->isEnabled());
    window->UpDown1->ClickArrow(true);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("35"));
    Click(window->Button1);
}

TEST_F(PpalTest, ClockWritesPanelOne)
{
    window->Timer2Timer();
    const QString text = window->StatusBar1->PanelText(1);
    EXPECT_NE(text, QStringLiteral("Hora"));
    EXPECT_TRUE(
        QTime::fromString(text, LongTimeFormatWithoutZone(QLocale::system().timeFormat(QLocale::LongFormat))).isValid())
        << text.toStdString();
}

TEST_F(PpalTest, SalirClosesTheWindow)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Click(window->Button2);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(PpalTest, AcceleratorsClickTheirButtons)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Click(window->Button11);
    // An accelerator animates the click: the button goes down, then clicks.
    QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(Soon([&] { return window->Timer1->Enabled(); }));
    Click(window->Button1);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(Soon([&] { return !window->isVisible(); }));
}

// Alt and a button's letter typed in an edit box: it presses the button when
// that is enabled and does nothing when not, and never types the letter.
TEST_F(PpalTest, AcceleratorsNeverTypeIntoEditBoxes)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto alt = [](QLineEdit* edit, Qt::Key letter) {
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, letter, Qt::AltModifier);
    };
    alt(window->Edit1, Qt::Key_C); // "&Controlar" not enabled yet
    alt(window->Edit7, Qt::Key_C);
    QTest::qWait(150); // an animated click would land by now
    EXPECT_EQ(State(), "YNNYYYN");
    Click(window->Button11);
    alt(window->Edit1, Qt::Key_C);
    ASSERT_TRUE(Soon([&] { return window->Timer1->Enabled(); }));
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{window->Edit1, window->Edit3, window->Edit2}) {
        alt(edit, Qt::Key_C);
        alt(edit, Qt::Key_S); // "&Salir" is disabled during a run
    }
    QTest::qWait(150);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(State(), "NNYNNNY");
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("5"));
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("30"));
    EXPECT_FALSE(window->Edit3->text().contains(QLatin1Char('c'), Qt::CaseInsensitive));
    EXPECT_FALSE(window->Edit2->text().contains(QLatin1Char('s'), Qt::CaseInsensitive));
    Click(window->Button1);
    alt(window->Edit1, Qt::Key_S);
    ASSERT_TRUE(Soon([&] { return !window->isVisible(); }));
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("5"));
    EXPECT_TRUE(errors.isEmpty());
}

class PointerTest : public PpalTest {
protected:
    void SetUp() override
    {
        PpalTest::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QString MoveTo(QWidget* over, QPoint at)
    {
        QTest::mouseMove(over, at);
        QApplication::processEvents();
        return window->StatusBar1->PanelText(0);
    }
    QString MoveOver(QWidget* control) { return MoveTo(control, QPoint(3, 3)); }
};

TEST_F(PointerTest, EnabledButtonsWriteTheirMessages)
{
    Click(window->Button11);
    EXPECT_EQ(MoveOver(window->Button11), QStringLiteral("Inicialización del Perceptron"));
    EXPECT_EQ(MoveOver(window->Button9), QString::fromUtf8(kMensajeControlar));
    EXPECT_EQ(MoveOver(window->Button3), QString::fromUtf8(kMensajeLimpiar));
    EXPECT_EQ(MoveOver(window->Button2), QString::fromUtf8(kMensajeSalir));
    Click(window->Button9);
    EXPECT_EQ(MoveOver(window->Button1), QString::fromUtf8(kMensajeParar));
    Click(window->Button1);
}

TEST_F(PointerTest, BackgroundAndStatusBarWriteTheWindowsMessage)
{
    EXPECT_EQ(MoveTo(window.get(), QPoint(300, 430)), QString::fromUtf8(kMensajeFondo));
    EXPECT_EQ(MoveOver(window->Button3), QString::fromUtf8(kMensajeLimpiar));
    EXPECT_EQ(MoveOver(window->StatusBar1), QString::fromUtf8(kMensajeFondo));
}

TEST_F(PointerTest, OtherControlsLeaveThePanelAlone)
{
    EXPECT_EQ(MoveOver(window->Button3), QString::fromUtf8(kMensajeLimpiar));
    for (QWidget* control : std::initializer_list<QWidget*>{
             window->Bevel7, window->Label4, window->Image1, window->Image3, window->Edit3, window->Edit7,
             window->Chart1, window->UpDown1, window->Button9, window->Button1}) {
        EXPECT_EQ(MoveOver(control), QString::fromUtf8(kMensajeLimpiar)) << control->objectName().toStdString();
    }
    // From the bevel around Limpiar to the bare background.
    EXPECT_EQ(MoveTo(window->Bevel7, QPoint(1, 1)), QString::fromUtf8(kMensajeLimpiar));
    EXPECT_EQ(MoveTo(window.get(), QPoint(600 - 10, 100 + 100)), QString::fromUtf8(kMensajeFondo));
}

TEST_F(PointerTest, DisabledReferenceBoxLeavesThePanelAlone)
{
    Click(window->Button11);
    Click(window->Button9);
    EXPECT_EQ(MoveOver(window->Button1), QString::fromUtf8(kMensajeParar));
    EXPECT_EQ(MoveOver(window->Edit7), QString::fromUtf8(kMensajeParar));
    EXPECT_EQ(MoveOver(window->Button11), QString::fromUtf8(kMensajeParar));
    Click(window->Button1);
}

} // namespace
} // namespace nc
