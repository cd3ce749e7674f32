// SPDX-License-Identifier: MIT
// Keeping and reading the run from the window, through real mouse events: a
// right click on the chart opens its menu (a right drag still scrolls), the
// menu saves the points and the picture, copies the picture and undoes a
// zoom; a save that fails shows its reason and leaves the file that was there
// as it was, with no half file; the pointer at rest tells the sample under it.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/Ppal.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

namespace nc {
namespace {

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ChartMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { errors.push_back(m); });
        window = std::make_unique<TPpal>();
        window->AskSaveFileName = [this](const QString& title, const QString& suggested, const QString&) {
            asked << title + u'|' + QFileInfo(suggested).fileName();
            return answer;
        };
        window->show();
        QTest::mouseClick(window->Button11, Qt::LeftButton); // Inicializar
        for (int i = 0; i < 40; ++i)
            window->Timer1Timer();
    }
    void TearDown() override { SetErrorHook({}); }

    // A right click on the chart, then a left click on the menu's item.
    void Choose(QAction* item)
    {
        QTest::mouseClick(window->Chart1, Qt::RightButton, {}, window->Chart1->rect().center());
        ASSERT_TRUE(window->PopupMenu1->isVisible());
        QTest::mouseClick(window->PopupMenu1, Qt::LeftButton, {}, window->PopupMenu1->actionGeometry(item).center());
        EXPECT_FALSE(window->PopupMenu1->isVisible());
    }

    std::unique_ptr<TPpal> window;
    QStringList errors, asked;
    QString answer;
    QTemporaryDir folder;
};

TEST_F(ChartMenuTest, RightDragScrollsRightClickSavesThePointsPlottedSoFar)
{
    window->Chart1->grab();
    const double minimum = window->Chart1->BottomAxis().Minimum();
    const QPoint at = window->Chart1->rect().center();
    QTest::mousePress(window->Chart1, Qt::RightButton, {}, at);
    QTest::mouseMove(window->Chart1, at - QPoint(20, 0));
    EXPECT_NE(window->Chart1->BottomAxis().Minimum(), minimum);
    QTest::mouseMove(window->Chart1, at); // back where it was pressed: a drag all the same
    QTest::mouseRelease(window->Chart1, Qt::RightButton, {}, at);
    EXPECT_FALSE(window->PopupMenu1->isVisible());

    answer = folder.filePath(QStringLiteral("respuesta.tsv"));
    QTest::mouseClick(window->Chart1, Qt::RightButton, {}, at);
    ASSERT_TRUE(window->PopupMenu1->isVisible());
    EXPECT_EQ(window->GuardarDatos1->text(), QStringLiteral("Guardar datos…"));
    window->Timer1Timer(); // the run goes on while the menu is open
    QTest::mouseClick(window->PopupMenu1, Qt::LeftButton, {},
                      window->PopupMenu1->actionGeometry(window->GuardarDatos1).center());
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar datos|respuesta.tsv")});
    const QList<QByteArray> lines = Contents(answer).split('\n');
    ASSERT_EQ(lines.size(), 43); // header, 41 points, nothing after the last newline
    EXPECT_EQ(lines[0], "muestra\ttiempo\tposicion\treferencia");
    EXPECT_EQ(lines[1], "0\t0\t0\t30");
    EXPECT_EQ(lines[2], "1\t0.05\t0.31259039044380188\t30");
    EXPECT_TRUE(lines[41].startsWith("40\t2\t29.")) << lines[41].toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// The pointer at rest over the plot tells the sample in its column, as the
// read-outs write it; outside the plot, and with nothing plotted, nothing.
TEST_F(ChartMenuTest, PointerAtRestOverThePlotTellsTheSampleInItsColumn)
{
    TChart& chart = *window->Chart1;
    chart.grab();
    auto hint = [&](QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, chart.mapToGlobal(at));
        QApplication::sendEvent(&chart, &event);
        return event.isAccepted() ? QToolTip::text() : QString(); // hideText takes its time
    };
    const int top = chart.PlotRect.Top + 3;
    EXPECT_EQ(hint(QPoint(chart.BottomAxis().ValueToPixel(1), top)),
              QStringLiteral("Muestra 1 · 0.05 s\nPosición 0.3126 º\nReferencia 30.0000 º"));
    EXPECT_TRUE(hint(QPoint(chart.BottomAxis().ValueToPixel(39), chart.PlotRect.Bottom))
                    .startsWith(QStringLiteral("Muestra 39 · 1.95 s\nPosición 29.")));
    EXPECT_EQ(hint(QPoint(chart.PlotRect.Left - 2, top)), QString());
    // A restart without Limpiar toward 0 degrees: two points in sample 2's
    // column, and the hint tells the one the pointer is on.
    window->Edit7->setText(QStringLiteral("0"));
    QTest::mouseClick(window->Button11, Qt::LeftButton); // Inicializar
    for (int i = 0; i < 3; ++i)
        window->Timer1Timer();
    chart.grab();
    const int column = chart.BottomAxis().ValueToPixel(2);
    EXPECT_EQ(hint(QPoint(column, chart.LeftAxis().ValueToPixel(1.1506574153900146) + 1)),
              QStringLiteral("Muestra 2 · 0.1 s\nPosición 1.1507 º\nReferencia 30.0000 º"));
    EXPECT_TRUE(hint(QPoint(column, chart.PlotRect.Bottom)).endsWith(QStringLiteral("\nReferencia 0.0000 º")));
    QTest::mouseClick(window->Button3, Qt::LeftButton); // Limpiar
    chart.grab();
    EXPECT_EQ(hint(chart.rect().center()), QString());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// A hint left showing while the run goes on follows it: the axis rescales,
// and the pointer's column holds another sample.
TEST_F(ChartMenuTest, HintLeftShowingFollowsTheRun)
{
    TChart& chart = *window->Chart1;
    chart.grab();
    const QPoint at(chart.BottomAxis().ValueToPixel(20), chart.PlotRect.Top + 3);
    QHelpEvent event(QEvent::ToolTip, at, chart.mapToGlobal(at));
    QApplication::sendEvent(&chart, &event);
    ASSERT_TRUE(QToolTip::text().startsWith(QStringLiteral("Muestra 20 · 1 s\n")));
    for (int i = 0; i < 40; ++i)
        window->Timer1Timer();
    chart.grab();
    EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("Muestra 41 · 2.05 s\n"))) << QToolTip::text().toStdString();
}

// The menu undoes a wheel's zoom; with nothing zoomed or scrolled its item is
// disabled.
TEST_F(ChartMenuTest, MenuUndoesAWheelZoom)
{
    TChart& chart = *window->Chart1;
    chart.grab();
    const QPoint at = chart.rect().center();
    QTest::mouseClick(&chart, Qt::RightButton, {}, at);
    EXPECT_FALSE(window->DeshacerZoom1->isEnabled());
    window->PopupMenu1->hide();
    QWheelEvent wheel(QPointF(at), chart.mapToGlobal(QPointF(at)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    EXPECT_TRUE(chart.IsZoomed());
    Choose(window->DeshacerZoom1);
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_TRUE(chart.BottomAxis().Automatic());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// The keyboard opens the menu at the chart wherever the focus is: the menu
// key, Shift+F10, and the context request X11 makes of the menu key, which an
// edit box would answer with its own menu. Escape closes it.
TEST_F(ChartMenuTest, MenuKeyOpensTheMenuAtTheChartFromAnyControl)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QRect chart(window->Chart1->mapToGlobal(QPoint(0, 0)), window->Chart1->size());
    const std::function<void(QWidget*)> requests[]
        = {[](QWidget* focus) { QTest::keyClick(focus, Qt::Key_Menu); },
           [](QWidget* focus) { QTest::keyClick(focus, Qt::Key_F10, Qt::ShiftModifier); },
           [](QWidget* focus) {
               QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(2, 2), focus->mapToGlobal(QPoint(2, 2)));
               QApplication::sendEvent(focus, &request);
           }};
    for (QWidget* focus : {static_cast<QWidget*>(window->Edit1), static_cast<QWidget*>(window->Edit7),
                           static_cast<QWidget*>(window->Edit3), static_cast<QWidget*>(window->Button3),
                           static_cast<QWidget*>(window->UpDown1)}) {
        for (std::size_t i = 0; i < std::size(requests); ++i) {
            focus->setFocus();
            requests[i](focus);
            const QString where = focus->objectName() + u' ' + QString::number(i);
            EXPECT_EQ(QApplication::activePopupWidget(), window->PopupMenu1) << where.toStdString();
            EXPECT_TRUE(chart.contains(window->PopupMenu1->pos())) << where.toStdString();
            QTest::keyClick(window->PopupMenu1, Qt::Key_Escape);
            EXPECT_FALSE(window->PopupMenu1->isVisible()) << where.toStdString();
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(ChartMenuTest, PictureIsSavedAndCopiedAsDrawn)
{
    answer = folder.filePath(QStringLiteral("respuesta.png"));
    Choose(window->GuardarImagen1);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar imagen|respuesta.png")});
    const QImage drawn = window->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(QImage(answer).convertToFormat(QImage::Format_RGB32), drawn);
    QGuiApplication::clipboard()->clear();
    Choose(window->CopiarImagen1);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), drawn);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// A folder without write permission (root, too, once the permission override
// is out of this thread's effective capabilities), then a write cut short as
// by a full disk, through Ctrl+S.
TEST_F(ChartMenuTest, FailedSaveKeepsTheExistingFileAndLeavesNoOther)
{
    answer = folder.filePath(QStringLiteral("respuesta.tsv"));
    QFile old(answer);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("antes\n") == 6);
    old.close();

    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{}, reduced[2]{};
    ASSERT_EQ(syscall(SYS_capget, &header, caps), 0);
    std::copy(caps, caps + 2, reduced);
    reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    syscall(SYS_capset, &header, reduced);
    const bool refused = !QFile(folder.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
    if (refused)
        Choose(window->GuardarDatos1);
    syscall(SYS_capset, &header, caps);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(refused) << "this process writes into a folder without write permission";

    rlimit limit{}, small{};
    getrlimit(RLIMIT_FSIZE, &limit);
    small = {64, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
    setrlimit(RLIMIT_FSIZE, &small);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(asked.size(), 2);
    const QString prefix = QStringLiteral("No se pudo guardar el archivo «%1»: ").arg(answer);
    EXPECT_EQ(errors,
              (QStringList{prefix + QString::fromLocal8Bit(std::strerror(EACCES)),
                           prefix + QString::fromLocal8Bit(std::strerror(EFBIG))}));
    EXPECT_EQ(Contents(answer), "antes\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("respuesta.tsv")});
}

} // namespace
} // namespace nc
