// SPDX-License-Identifier: MIT
// The program's command line: --help and --version answer without a display,
// a demonstration's options reach the window and start the run after the
// splash, Qt's own options pass, and a bad value is one Spanish line and
// status 2 before any window.

#include "app/CommandLine.h"
#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/Ppal.h"

#include <QProcess>

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
    const LaunchCommand c = Parse({"-platform", "offscreen", "--referencia", "22,5", "-style=fusion", "--velocidad",
                                   "20", "-reverse", "--iniciar"},
                                  NumberFormat{",", "."});
    ASSERT_TRUE(c.run) << c.err.toStdString();
    SetErrorHook([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    TPpal window;
    ApplyLaunchOptions(window, c.options);
    EXPECT_FALSE(window.Timer1->Enabled());
    window.FormActivate(); // no splash here: straight after the first activation
    EXPECT_TRUE(window.Timer1->Enabled());
    EXPECT_EQ(window.Timer1->Interval(), 50u);
    EXPECT_EQ(window.Edit7->text(), QStringLiteral("22,5"));
    SetErrorHook({});
}

TEST(CommandLine, BadValuesAreOneSpanishLineAndStatusTwo)
{
    const QString speed = QStringLiteral("la velocidad debe ser un número entero entre 1 y 2000, no «%1»");
    const QString reference = QStringLiteral(
        "la referencia debe ser un número de grados entre 0 y 360, con «.» como separador decimal, no «%1»");
    const std::pair<QStringList, QString> rows[] = {
        {{"--velocidad", "0"}, speed.arg("0")},
        {{"--velocidad", "2001"}, speed.arg("2001")},
        {{"--referencia", "360.5"}, reference.arg("360.5")},
        {{"--referencia", "treinta"}, reference.arg("treinta")},
        {{"--referencia", "30,5"}, reference.arg("30,5")},
        {{"--velocidad"}, QStringLiteral("falta el valor de la opción --velocidad")},
        {{"--iniciar=1"}, QStringLiteral("la opción --iniciar no admite ningún valor")},
        {{"--help=1"}, QStringLiteral("la opción --help no admite ningún valor")},
        {{"--rapido"}, QStringLiteral("opción desconocida: --rapido (vea neurocontrol --help)")},
        {{"30"}, QStringLiteral("argumento inesperado: 30 (vea neurocontrol --help)")},
    };
    for (const auto& [args, message] : rows) {
        const LaunchCommand c = Parse(args);
        EXPECT_FALSE(c.run);
        EXPECT_EQ(c.status, 2);
        EXPECT_EQ(c.err, QStringLiteral("neurocontrol: ") + message + u'\n');
    }
    // Where the box wants a comma, the option wants one too, and says so.
    EXPECT_EQ(Parse({"--referencia", "30.5"}, NumberFormat{",", "."}).err,
              QStringLiteral("neurocontrol: la referencia debe ser un número de grados entre 0 y 360, con «,» como "
                             "separador decimal, no «30.5»\n"));
}

// The program itself, with no display and no platform chosen: help2man runs
// it like this while a package builds. A help or version that cannot be
// written is an error, not success.
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
                               QString::fromUtf8(p.readAllStandardError()).count(u'\n'));
    };
    EXPECT_TRUE(HelpText().startsWith(QStringLiteral("Uso: neurocontrol [OPCIÓN]...\n")));
    EXPECT_EQ(run({QStringLiteral("--help")}), std::make_tuple(0, HelpText(), 0));
    EXPECT_EQ(run({QStringLiteral("--version")}),
              std::make_tuple(0, QStringLiteral("neurocontrol " NC_VERSION "\n"), 0));
    EXPECT_EQ(run({QStringLiteral("--velocidad"), QStringLiteral("0")}), std::make_tuple(2, QString(), 1));
    EXPECT_TRUE(HelpText().contains(QStringLiteral("después \"Controlar\"\n")));
    EXPECT_FALSE(HelpText().contains(u'&'));
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(NC_PROGRAM), {QString::fromLatin1(option)});
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 1) << option;
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
                  QStringLiteral("neurocontrol: Error al escribir la salida: No space left on device\n"));
    }
}

} // namespace
} // namespace nc
