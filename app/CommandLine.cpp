// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include "ui/Commands.h"
#include "ui/Ppal.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <optional>

namespace nc {
namespace {

const QString kPrograma = QStringLiteral("neurocontrol");

// The options QGuiApplication and QApplication read, with and without a
// value, so that the parser lets them pass; Qt takes them out of argv itself.
const char* const kQtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                           "qwindowgeometry", "qwindowicon", "qwindowtitle", "geometry",
                                           "title", "icon", "session", "display", "name", "visual",
                                           "ncols", "cmap", "style", "stylesheet", "qmljsdebugger"};
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

// The reference as the box reads it; with a point where the box wants a comma,
// the point is turned into the box's separator.
std::optional<QString> ReferenceText(const QString& text, const NumberFormat& format)
{
    const NumberFormat punto{".", ""};
    for (const NumberFormat* f : {&format, &punto}) {
        try {
            const long double grados = StrToFloat(text.toStdString(), *f);
            if (!(grados >= 0 && grados <= kReferenciaMaxima))
                return std::nullopt;
            QString box = text;
            if (f == &punto)
                box.replace(u'.', QString::fromStdString(format.decimal_separator));
            return box;
        } catch (const ConversionError&) {
        }
    }
    return std::nullopt;
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
    return QStringLiteral(
        "Uso: neurocontrol [OPCIÓN]...\n"
        "Demostración de control neuronal: un perceptrón multicapa ya entrenado lleva un\n"
        "brazo posicionador simulado hacia un ángulo de referencia. La ventana muestra\n"
        "el diagrama de bloques del lazo, una animación del brazo, la gráfica de la\n"
        "posición y de la referencia, y las lecturas de tiempo, fuerza, posición y\n"
        "velocidad.\n"
        "\n"
        "Opciones:\n"
        "  --referencia GRADOS  pone GRADOS (de 0 a 360) en la casilla \"Ref.\"\n"
        "  --velocidad N        pone N pasos de control por segundo (de 1 a 2000) en la\n"
        "                       casilla \"Vel. de simulación\"\n"
        "  --iniciar            tras la ventana de bienvenida, pulsa \"Inicializar\" y\n"
        "                       después \"&Controlar\"\n"
        "  -h, --help           muestra esta ayuda y termina\n"
        "  --version            muestra la versión y termina\n"
        "\n"
        "Acepta también las opciones propias de Qt, como -platform NOMBRE o\n"
        "-style NOMBRE.\n"
        "\n"
        "Ejemplo: neurocontrol --referencia 60 --velocidad 20 --iniciar\n"
        "\n"
        "Estado de salida: 0 bien, 2 opciones erróneas (con un mensaje en stderr).\n");
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
    parser.addOptions({help, version, referencia, velocidad, iniciar});
    for (const char* name : kQtOptionsWithValue)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("x")));
    for (const char* name : kQtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Fail(QStringLiteral("opción desconocida: %1 (vea neurocontrol --help)")
                            .arg(AsTyped(parser.unknownOptionNames().constFirst(), arguments)));
        // The parser's only other complaint is a missing value; its text
        // names the option between quotes.
        const QString option = QRegularExpression(QStringLiteral("'([^']*)'")).match(parser.errorText()).captured(1);
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
        const std::optional<QString> box = ReferenceText(text, format);
        if (!box)
            return Fail(QStringLiteral("la referencia debe ser un número de grados entre 0 y 360, no «%1»").arg(text));
        c.options.referencia = *box;
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

void ApplyLaunchOptions(TPpal& window, const LaunchOptions& options)
{
    if (!options.referencia.isEmpty())
        window.Edit7->setText(options.referencia);
    if (!options.velocidad.isEmpty())
        window.Edit1->setText(options.velocidad);
    window.SetIniciarTrasSplash(options.iniciar);
}

} // namespace nc
