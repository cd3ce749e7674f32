// Keeping the run from the window, through real mouse events: a right click on
// the chart opens its menu (a right drag still scrolls), the menu saves the
// points and the picture and copies the picture; a save that fails shows its
// reason and leaves the file that was there as it was, with no half file.

#include "tests/ui/QtPrinters.h"
#include "ui/ErrorBox.h"
#include "ui/Ppal.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <memory>

namespace nc {
namespace {

// Root writes into any folder whatever its permissions; without the
// permission-override capability in this thread's effective set, a folder
// without write permission refuses root too. The destructor gives it back.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride()
    {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        syscall(SYS_capset, &header_, reduced);
    }
    ~WithoutPermissionOverride() { syscall(SYS_capset, &header_, saved_); }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

// A file-size limit makes the write fail part-way, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
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
    void TearDown() override
    {
        window.reset();
        SetErrorHook({});
    }

    QPoint InPlot() const { return window->Chart1->rect().center(); }

    // A right click on the chart, then a left click on the menu's item.
    void Choose(QAction* item)
    {
        QTest::mouseClick(window->Chart1, Qt::RightButton, {}, InPlot());
        ASSERT_TRUE(window->PopupMenu1->isVisible());
        QTest::mouseClick(window->PopupMenu1, Qt::LeftButton, {}, window->PopupMenu1->actionGeometry(item).center());
        EXPECT_FALSE(window->PopupMenu1->isVisible());
    }

    std::unique_ptr<TPpal> window;
    QStringList errors;
    QStringList asked;
    QString answer;
    QTemporaryDir folder;
};

TEST_F(ChartMenuTest, RightClickSavesThePointsAndTheRunGoesOnWhileTheMenuIsOpen)
{
    answer = folder.filePath(QStringLiteral("respuesta.tsv"));
    QTest::mouseClick(window->Chart1, Qt::RightButton, {}, InPlot());
    ASSERT_TRUE(window->PopupMenu1->isVisible());
    const QStringList items{window->GuardarDatos1->text(), window->GuardarImagen1->text(),
                            window->CopiarImagen1->text()};
    EXPECT_EQ(items, (QStringList{QStringLiteral("Guardar datos…"), QStringLiteral("Guardar imagen…"),
                                  QStringLiteral("Copiar imagen")}));
    window->Timer1Timer(); // a tick while the menu is open is plotted and saved too
    QTest::mouseClick(window->PopupMenu1, Qt::LeftButton, {},
                      window->PopupMenu1->actionGeometry(window->GuardarDatos1).center());
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar datos|respuesta.tsv")});

    const QList<QByteArray> lines = Contents(answer).split('\n');
    ASSERT_EQ(lines.size(), 43); // header, 41 points, the empty rest after the last newline
    EXPECT_EQ(lines[0], "muestra\ttiempo\tposicion\treferencia");
    EXPECT_EQ(lines[1], "0\t0\t0\t30");
    EXPECT_EQ(lines[2], "1\t0.05\t" + QByteArray::number(window->Series1->YValue(1), 'g', 17) + "\t30");
    EXPECT_TRUE(lines[41].startsWith("40\t2\t")) << lines[41].toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(ChartMenuTest, RightDragScrollsWithoutMenu)
{
    window->Chart1->grab();
    const double minimum = window->Chart1->BottomAxis().Minimum();
    const QPoint from = InPlot();
    QTest::mousePress(window->Chart1, Qt::RightButton, {}, from);
    QTest::mouseMove(window->Chart1, from - QPoint(20, 0));
    QTest::mouseRelease(window->Chart1, Qt::RightButton, {}, from - QPoint(20, 0));
    EXPECT_FALSE(window->PopupMenu1->isVisible());
    EXPECT_GT(window->Chart1->BottomAxis().Minimum(), minimum);
    // Back to where it was pressed, but it moved on the way: still no menu.
    QTest::mousePress(window->Chart1, Qt::RightButton, {}, from);
    QTest::mouseMove(window->Chart1, from + QPoint(0, 5));
    QTest::mouseRelease(window->Chart1, Qt::RightButton, {}, from);
    EXPECT_FALSE(window->PopupMenu1->isVisible());
}

TEST_F(ChartMenuTest, PictureIsSavedAndCopiedAsDrawn)
{
    answer = folder.filePath(QStringLiteral("respuesta.png"));
    Choose(window->GuardarImagen1);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar imagen|respuesta.png")});
    const QImage drawn = window->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage saved(answer);
    EXPECT_EQ(saved.size(), window->Chart1->size() * window->Chart1->devicePixelRatioF());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), drawn);

    QGuiApplication::clipboard()->clear();
    Choose(window->CopiarImagen1);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), drawn);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(ChartMenuTest, CtrlSAsksForTheDataFileAndCancelWritesNothing)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar datos|respuesta.tsv")});
    EXPECT_TRUE(errors.isEmpty());
}

// A folder without write permission, and a write cut short as by a full disk:
// the error box has the reason, the earlier file is untouched, nothing else
// is left in the folder.
TEST_F(ChartMenuTest, FailedSaveKeepsTheExistingFile)
{
    const QString path = folder.filePath(QStringLiteral("respuesta.tsv"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("antes\n");
    }
    answer = path;
    {
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        WithoutPermissionOverride as_a_user;
        if (QFile probe(folder.filePath(QStringLiteral("probe"))); probe.open(QIODevice::WriteOnly))
            GTEST_SKIP() << "this process writes into a folder without write permission";
        Choose(window->GuardarDatos1);
    }
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        FileSizeLimit disk_full(64);
        Choose(window->GuardarDatos1);
    }
    ASSERT_EQ(errors.size(), 2) << errors.join(u'\n').toStdString();
    const QString prefix = QStringLiteral("No se pudo guardar el archivo «%1»: ").arg(path);
    for (const QString& e : errors) {
        EXPECT_TRUE(e.startsWith(prefix)) << e.toStdString();
        EXPECT_GT(e.size(), prefix.size()) << "the reason is missing";
    }
    EXPECT_EQ(Contents(path), "antes\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("respuesta.tsv")});
}

} // namespace
} // namespace nc
