// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include "ui/common/Commands.h"
#include "ui/main/Ppal.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <optional>

namespace nc {
namespace {

const QString kPrograma = QStringLiteral("neurocontrol");

// The options QGuiApplication and QApplication read, with and without a
// value, so that the parser lets them pass; Qt takes them out of argv itself.
const char* const kQtOptionsWithValue[] = {"platform",
                                           "platformpluginpath",
                                           "platformtheme",
                                           "plugin",
                                           "qwindowgeometry",
                                           "qwindowicon",
                                           "qwindowtitle",
                                           "geometry",
                                           "title",
                                           "icon",
                                           "session",
                                           "display",
                                           "name",
                                           "visual",
                                           "ncols",
                                           "cmap",
                                           "style",
                                           "stylesheet",
                                           "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

LaunchCommand Fail(const QString& message)
{
    LaunchCommand c;
    c.run = false;
    c.status = 2;
    c.err = kPrograma + QStringLiteral(": ") + message + u'\n';
    return c;
}

LaunchCommand Answer(const QString& text)
{
    LaunchCommand c;
    c.run = false;
    c.out = text;
    return c;
}

// The reference as the "Ref." box and the trace tool read it: the regional
// decimal separator only, so that a text the option takes is one the box's
// tick takes too.
bool ReferenceAccepted(const QString& text, const NumberFormat& format)
{
    try {
        const long double grados = StrToFloat(text.toStdString(), format);
        return grados >= 0 && grados <= kReferenciaMaxima;
    } catch (const ConversionError&) {
        return false;
    }
}

std::optional<int> Speed(const QString& text)
{
    // The window's own check, so the option and the speed box agree on the range.
    try {
        return SpeedFromText(text.toStdString());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Whether the option as written (-h, --iniciar) is one of `flags`.
bool IsFlag(const QString& written, const QList<QCommandLineOption>& flags)
{
    const QString name = written.mid(written.startsWith(QStringLiteral("--")) ? 2 : 1);
    return std::any_of(flags.begin(), flags.end(),
                       [&](const QCommandLineOption& flag) { return flag.names().contains(name); });
}

// The parser names an unknown option without its dashes; the message shows
// it as the user wrote it.
QString AsTyped(const QString& name, const QStringList& arguments)
{
    for (const QString& a : arguments.mid(1)) {
        const QString bare = a.section(u'=', 0, 0);
        if (bare.startsWith(u'-') && QStringView(bare).mid(bare.startsWith(QStringLiteral("--")) ? 2 : 1) == name)
            return bare;
    }
    return name;
}

} // namespace

QString HelpText()
{
    return QStringLiteral("Uso: neurocontrol [OPCIÓN]...\n"
                          "Demostración de control neuronal: un perceptrón multicapa ya entrenado lleva un\n"
                          "brazo posicionador simulado hacia un ángulo de referencia. La ventana muestra\n"
                          "el diagrama de bloques del lazo, una animación del brazo, la gráfica de la\n"
                          "posición y de la referencia, y las lecturas de tiempo, fuerza, posición y\n"
                          "velocidad.\n"
                          "\n"
                          "Opciones:\n"
                          "  --referencia GRADOS  pone GRADOS (de 0 a 360) en la casilla \"Ref.\", escritos\n"
                          "                       como ella los lee: con el separador decimal regional\n"
                          "  --velocidad N        pone N pasos de control por segundo (de 1 a 2000) en la\n"
                          "                       casilla \"Vel. de simulación\"\n"
                          "  --iniciar            tras la ventana de bienvenida, pulsa \"Inicializar\" y\n"
                          "                       después \"Controlar\"\n"
                          "  -h, --help           muestra esta ayuda y termina\n"
                          "  --version            muestra la versión y termina\n"
                          "\n"
                          "Acepta también las opciones propias de Qt, como -platform NOMBRE o\n"
                          "-style NOMBRE.\n"
                          "\n"
                          "Ejemplo: neurocontrol --referencia 60 --velocidad 20 --iniciar\n"
                          "\n"
                          "Estado de salida: 0 bien, 1 no se pudo escribir la salida, 2 opciones erróneas\n"
                          "(con un mensaje en stderr).\n");
}

QString VersionText()
{
    return QStringLiteral("neurocontrol " NC_VERSION "\n");
}

LaunchCommand ParseCommandLine(const QStringList& arguments, const NumberFormat& format)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform); ours are --words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption referencia(QStringLiteral("referencia"), QString(), QStringLiteral("GRADOS"));
    const QCommandLineOption velocidad(QStringLiteral("velocidad"), QString(), QStringLiteral("N"));
    const QCommandLineOption iniciar(QStringLiteral("iniciar"));
    QList<QCommandLineOption> flags{help, version, iniciar};
    for (const char* name : kQtFlags)
        flags.append(QCommandLineOption(QString::fromLatin1(name)));
    parser.addOptions(flags);
    parser.addOptions({referencia, velocidad});
    for (const char* name : kQtOptionsWithValue)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("x")));

    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Fail(QStringLiteral("opción desconocida: %1 (vea neurocontrol --help)")
                            .arg(AsTyped(parser.unknownOptionNames().constFirst(), arguments)));
        // The parser's other complaints name the option between quotes: a
        // value missing after an option that takes one, or a value given
        // (--iniciar=1) to an option that takes none.
        const QString option = QRegularExpression(QStringLiteral("'([^']*)'")).match(parser.errorText()).captured(1);
        if (IsFlag(option, flags))
            return Fail(QStringLiteral("la opción %1 no admite ningún valor").arg(option));
        return Fail(QStringLiteral("falta el valor de la opción %1").arg(option));
    }
    if (parser.isSet(help))
        return Answer(HelpText());
    if (parser.isSet(version))
        return Answer(VersionText());
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("argumento inesperado: %1 (vea neurocontrol --help)")
                        .arg(parser.positionalArguments().constFirst()));

    LaunchCommand c;
    if (parser.isSet(referencia)) {
        const QString text = parser.value(referencia);
        if (!ReferenceAccepted(text, format))
            return Fail(QStringLiteral("la referencia debe ser un número de grados entre 0 y 360, con «%1» como "
                                       "separador decimal, no «%2»")
                            .arg(QString::fromStdString(format.decimal_separator), text));
        c.options.referencia = text;
    }
    if (parser.isSet(velocidad)) {
        const QString text = parser.value(velocidad);
        const std::optional<int> n = Speed(text);
        if (!n)
            return Fail(QStringLiteral("la velocidad debe ser un número entero entre 1 y 2000, no «%1»").arg(text));
        c.options.velocidad = QString::number(*n);
    }
    c.options.iniciar = parser.isSet(iniciar);
    return c;
}

int PrintAnswer(const LaunchCommand& command, std::FILE* out, std::FILE* err)
{
    const QByteArray text = command.out.toUtf8();
    errno = 0;
    const bool whole = std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), out)
            == static_cast<std::size_t>(text.size())
        && std::fflush(out) == 0;
    if (!whole) {
        const int error = errno != 0 ? errno : EIO;
        const std::string line = kPrograma.toStdString()
            + ": Error al escribir la salida: " + std::system_category().message(error) + '\n';
        std::fputs(line.c_str(), err);
        return 1;
    }
    std::fputs(command.err.toUtf8().constData(), err);
    return command.status;
}

void ApplyLaunchOptions(TPpal& window, const LaunchOptions& options)
{
    if (!options.referencia.isEmpty())
        window.Edit7->setText(options.referencia);
    if (!options.velocidad.isEmpty())
        window.Edit1->setText(options.velocidad);
    window.SetIniciarTrasSplash(options.iniciar);
}

} // namespace nc
