// SPDX-License-Identifier: MIT
#include "ui/lab/LabAjustes.h"

#include "ui/common/ErrorBox.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <utility>
#include <optional>

namespace nc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QGroupBox* Grupo(const char* titulo, QFormLayout*& form, QWidget* parent)
{
    auto* grupo = new QGroupBox(QString::fromUtf8(titulo), parent);
    form = new QFormLayout(grupo);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return grupo;
}

// The combo's entries: "Ninguno" first for "Comparar con…".
const TipoControlador kTipos[]
    = {TipoControlador::Red, TipoControlador::Pid, TipoControlador::Ninguno, TipoControlador::Entrenada};

// The trained network the settings hold, the arm's or the twin's: "Red
// entrenada" chosen for either runs it.
RedCompartida RedEntrenadaDe(const AjustesExperimento& a)
{
    if (a.controlador.entrenada)
        return a.controlador.entrenada;
    return a.comparar ? a.comparar->entrenada : RedCompartida{};
}

} // namespace

TLabAjustes::TLabAjustes(NumberFormat formato, QWidget* parent) : QWidget(parent), formato_(std::move(formato))
{
    auto* columna = new QVBoxLayout(this);
    QFormLayout* form = nullptr;

    // Disturbances.
    QGroupBox* perturbar = Grupo("Perturbaciones", form, this);
    EmpujarIzquierda = new QPushButton(QStringLiteral("← Empujar"), perturbar);
    EmpujarDerecha = new QPushButton(QStringLiteral("Empujar →"), perturbar);
    EmpujarIzquierda->setObjectName(QStringLiteral("EmpujarIzquierda"));
    EmpujarDerecha->setObjectName(QStringLiteral("EmpujarDerecha"));
    EmpujarIzquierda->setToolTip(QStringLiteral("Empuja el brazo hacia la izquierda en la próxima muestra"));
    EmpujarDerecha->setToolTip(QStringLiteral("Empuja el brazo hacia la derecha en la próxima muestra"));
    auto* botones = new QHBoxLayout;
    botones->addWidget(EmpujarIzquierda);
    botones->addWidget(EmpujarDerecha);
    form->addRow(botones);
    connect(EmpujarIzquierda, &QPushButton::clicked, this, [this] { Guarded([&] { Empujar(-1); }); });
    connect(EmpujarDerecha, &QPushButton::clicked, this, [this] { Guarded([&] { Empujar(1); }); });
    Empujon = Campo(
        "Empujon", [this](const QString& t, AjustesExperimento& a) { a.empujon = Numero(t, ComprobarEmpujon); },
        [this](const AjustesExperimento& a) { return Texto(a.empujon); },
        "Velocidad que suma cada empujón, en grados por segundo");
    form->addRow(QStringLiteral("Empujón (º/s)"), Empujon);
    Carga = Campo(
        "Carga", [this](const QString& t, AjustesExperimento& a) { a.carga = Numero(t, ComprobarCarga); },
        [this](const AjustesExperimento& a) { return Texto(a.carga); },
        "Par constante sumado a la fuerza del controlador, como un peso colgado del brazo, "
        "en las unidades de la fuerza");
    form->addRow(QStringLiteral("Carga"), Carga);
    RuidoPosicion = Campo(
        "RuidoPosicion",
        [this](const QString& t, AjustesExperimento& a) {
            a.ruido.posicion = Numero(t, [&](double v) { ComprobarRuido({v, 0, 1}); });
        },
        [this](const AjustesExperimento& a) { return Texto(a.ruido.posicion); },
        "Desviación típica del ruido gaussiano que se suma a la posición que leen los controladores, en grados");
    form->addRow(QStringLiteral("Ruido de posición (º)"), RuidoPosicion);
    RuidoVelocidad = Campo(
        "RuidoVelocidad",
        [this](const QString& t, AjustesExperimento& a) {
            a.ruido.velocidad = Numero(t, [&](double v) { ComprobarRuido({0, v, 1}); });
        },
        [this](const AjustesExperimento& a) { return Texto(a.ruido.velocidad); },
        "Desviación típica del ruido gaussiano que se suma a la velocidad que leen los controladores, "
        "en grados por segundo");
    form->addRow(QStringLiteral("Ruido de velocidad (º/s)"), RuidoVelocidad);
    Semilla = Campo(
        "Semilla",
        [this](const QString& t, AjustesExperimento& a) {
            const double v = Numero(t, [](double v) {
                // A fraction or a negative number is refused with the range.
                if (!(v >= 0 && v == std::floor(v) && v <= static_cast<double>(kSemillaMaxima)))
                    ComprobarRuido({0, 0, kSemillaMaxima + 1});
            });
            a.ruido.semilla = static_cast<uint64_t>(v);
        },
        [](const AjustesExperimento& a) { return QString::number(a.ruido.semilla); },
        "Número entero que fija la sucesión del ruido: la misma semilla repite el mismo ruido");
    form->addRow(QStringLiteral("Semilla del ruido"), Semilla);
    columna->addWidget(perturbar);

    // The arm.
    QGroupBox* brazo = Grupo("Brazo", form, this);
    AnguloInicial = Campo(
        "AnguloInicial",
        [this](const QString& t, AjustesExperimento& a) { a.angulo_inicial = Numero(t, ComprobarAnguloInicial); },
        [this](const AjustesExperimento& a) { return Texto(a.angulo_inicial); },
        "Donde empieza la próxima ejecución, en grados");
    form->addRow(QStringLiteral("Ángulo inicial (º)"), AnguloInicial);
    VelocidadInicial = Campo(
        "VelocidadInicial",
        [this](const QString& t, AjustesExperimento& a) { a.velocidad_inicial = Numero(t, ComprobarVelocidadInicial); },
        [this](const AjustesExperimento& a) { return Texto(a.velocidad_inicial); },
        "La velocidad con que empieza la próxima ejecución, en grados por segundo (0: en reposo)");
    form->addRow(QStringLiteral("Velocidad inicial (º/s)"), VelocidadInicial);
    Amortiguamiento = Campo(
        "Amortiguamiento",
        [this](const QString& t, AjustesExperimento& a) {
            a.brazo.amortiguamiento = Numero(t, ComprobarAmortiguamiento);
        },
        [this](const AjustesExperimento& a) { return Texto(a.brazo.amortiguamiento); },
        "Rozamiento viscoso del brazo, por segundo: lo frena en proporción a su velocidad "
        "(2 es el brazo de la ventana principal)");
    form->addRow(QStringLiteral("Amortiguamiento"), Amortiguamiento);
    Gravedad = Campo(
        "Gravedad",
        [this](const QString& t, AjustesExperimento& a) { a.brazo.gravedad = Numero(t, ComprobarGravedad); },
        [this](const AjustesExperimento& a) { return Texto(a.brazo.gravedad); }, "Aceleración de la gravedad, en m/s²");
    PresetGravedad = new QComboBox(brazo);
    PresetGravedad->setObjectName(QStringLiteral("PresetGravedad"));
    for (const nc::PresetGravedad& p : kPresetsGravedad)
        PresetGravedad->addItem(QString::fromUtf8(p.nombre));
    PresetGravedad->addItem(QStringLiteral("Otra"));
    PresetGravedad->setToolTip(QStringLiteral("La gravedad de un astro: elegirlo la escribe en el campo de al lado"));
    connect(PresetGravedad, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < static_cast<int>(std::size(kPresetsGravedad)))
            Proponer([&](AjustesExperimento& a) { a.brazo.gravedad = kPresetsGravedad[i].gravedad; });
    });
    auto* gravedad = new QHBoxLayout;
    gravedad->addWidget(Gravedad);
    gravedad->addWidget(PresetGravedad);
    form->addRow(QStringLiteral("Gravedad"), gravedad);
    FuerzaMaxima = Campo(
        "FuerzaMaxima",
        [this](const QString& t, AjustesExperimento& a) {
            if (t.trimmed().isEmpty())
                a.brazo.fuerza_maxima.reset();
            else
                a.brazo.fuerza_maxima = Numero(t, [](double v) { ComprobarFuerzaMaxima(v); });
        },
        [this](const AjustesExperimento& a) {
            return a.brazo.fuerza_maxima ? Texto(*a.brazo.fuerza_maxima) : QString();
        },
        "La mayor fuerza que recibe el brazo, hacia cada lado, en las unidades de la fuerza; vacío, sin límite");
    FuerzaMaxima->setPlaceholderText(QStringLiteral("sin límite"));
    form->addRow(QStringLiteral("Fuerza máxima"), FuerzaMaxima);
    columna->addWidget(brazo);

    // The reference programme.
    QGroupBox* referencia = Grupo("Referencia", form, this);
    TipoReferencia = new QComboBox(referencia);
    TipoReferencia->setObjectName(QStringLiteral("TipoReferencia"));
    for (nc::TipoReferencia t :
         {nc::TipoReferencia::Fija, nc::TipoReferencia::Escalones, nc::TipoReferencia::Cuadrada,
          nc::TipoReferencia::Seno, nc::TipoReferencia::Rampa, nc::TipoReferencia::RampaIlimitada})
        TipoReferencia->addItem(QString::fromUtf8(NombreReferencia(t)));
    TipoReferencia->setToolTip(QStringLiteral("Cómo cambia la referencia, en grados, con el tiempo. "
                                              "Fija: el valor del cuadro «Ref.» de la ventana principal"));
    connect(TipoReferencia, &QComboBox::activated, this, [this](int i) {
        Proponer([&](AjustesExperimento& a) {
            a.referencia.tipo = static_cast<nc::TipoReferencia>(i);
            // A list of steps to start from, that the user then edits.
            if (a.referencia.tipo == nc::TipoReferencia::Escalones && a.referencia.escalones.empty())
                a.referencia.escalones = {{30, 10}, {90, 10}, {-45, 10}};
        });
    });
    form->addRow(QStringLiteral("Programa"), TipoReferencia);
    Escalones = Campo(
        "Escalones",
        [this](const QString& t, AjustesExperimento& a) {
            // Each number checked alone, so that its message names it.
            auto parte = [](double Escalon::*campo) {
                return [campo](double v) {
                    ProgramaReferencia uno;
                    uno.tipo = nc::TipoReferencia::Escalones;
                    uno.escalones = {Escalon{0, 1}};
                    uno.escalones[0].*campo = v;
                    ComprobarReferencia(uno);
                };
            };
            std::vector<Escalon> lista;
            for (const QString& par : t.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                const QStringList n = par.simplified().split(QLatin1Char(' '));
                if (n.size() != 2)
                    throw AjusteInvalido("Cada escalón son dos números, el ángulo en grados y la duración en "
                                         "segundos, y los escalones van separados por punto y coma: 30 10; 90 10");
                lista.push_back({Numero(n[0], parte(&Escalon::grados)), Numero(n[1], parte(&Escalon::duracion))});
            }
            ProgramaReferencia p = a.referencia;
            p.tipo = nc::TipoReferencia::Escalones;
            p.escalones = lista;
            ComprobarReferencia(p);
            a.referencia.escalones = lista;
        },
        [this](const AjustesExperimento& a) {
            QStringList pares;
            for (const Escalon& e : a.referencia.escalones)
                pares << Texto(e.grados) + QLatin1Char(' ') + Texto(e.duracion);
            return pares.join(QStringLiteral("; "));
        },
        "Ángulo en grados y duración en segundos de cada escalón, separados por punto y coma: 30 10; 90 10");
    form->addRow(QStringLiteral("Escalones"), Escalones);
    // Each checked as part of the programme that reads it.
    auto onda = [this](double ProgramaReferencia::*campo, nc::TipoReferencia tipo = nc::TipoReferencia::Seno) {
        return [this, campo, tipo](const QString& t, AjustesExperimento& a) {
            ProgramaReferencia p = a.referencia;
            p.tipo = tipo;
            p.*campo = Numero(t, [&](double v) {
                p.*campo = v;
                ComprobarReferencia(p);
            });
            a.referencia.*campo = p.*campo;
        };
    };
    Amplitud = Campo(
        "Amplitud", onda(&ProgramaReferencia::amplitud),
        [this](const AjustesExperimento& a) { return Texto(a.referencia.amplitud); },
        "Cuánto se aparta la onda de su desplazamiento hacia cada lado, en grados");
    form->addRow(QStringLiteral("Amplitud (º)"), Amplitud);
    Desplazamiento = Campo(
        "Desplazamiento", onda(&ProgramaReferencia::desplazamiento),
        [this](const AjustesExperimento& a) { return Texto(a.referencia.desplazamiento); },
        "El valor alrededor del que oscila la onda, en grados");
    form->addRow(QStringLiteral("Desplazamiento (º)"), Desplazamiento);
    Periodo = Campo(
        "Periodo", onda(&ProgramaReferencia::periodo),
        [this](const AjustesExperimento& a) { return Texto(a.referencia.periodo); },
        "La duración de un ciclo de la onda, en segundos");
    form->addRow(QStringLiteral("Periodo (s)"), Periodo);
    Pendiente = Campo(
        "Pendiente", onda(&ProgramaReferencia::pendiente, nc::TipoReferencia::RampaIlimitada),
        [this](const AjustesExperimento& a) { return Texto(a.referencia.pendiente); },
        "Rampa: grados por segundo que sube la referencia desde el desplazamiento");
    form->addRow(QStringLiteral("Pendiente (º/s)"), Pendiente);
    columna->addWidget(referencia);

    // The controllers.
    QGroupBox* control = Grupo("Controlador", form, this);
    Controlador = new QComboBox(control);
    Controlador->setObjectName(QStringLiteral("Controlador"));
    Comparar = new QComboBox(control);
    Comparar->setObjectName(QStringLiteral("Comparar"));
    Comparar->addItem(QStringLiteral("Ninguno"));
    for (TipoControlador t : kTipos) {
        Controlador->addItem(QString::fromUtf8(NombreControlador(t)));
        Comparar->addItem(QString::fromUtf8(NombreControlador(t)));
    }
    connect(Controlador, &QComboBox::activated, this, [this](int i) {
        Proponer([&](AjustesExperimento& a) {
            a.controlador.entrenada = RedEntrenadaDe(a);
            a.controlador.tipo = kTipos[i];
        });
    });
    connect(Comparar, &QComboBox::activated, this, [this](int i) {
        Proponer([&](AjustesExperimento& a) {
            if (i == 0) {
                a.comparar.reset();
            } else {
                // A twin keeps its own gains; a new one starts from the controller's.
                AjustesControlador gemelo{kTipos[i - 1], a.comparar ? a.comparar->pid : a.controlador.pid};
                gemelo.entrenada = a.comparar && a.comparar->entrenada ? a.comparar->entrenada : RedEntrenadaDe(a);
                a.comparar = gemelo;
            }
        });
    });
    Controlador->setToolTip(QStringLiteral("El controlador que mueve el brazo"));
    Comparar->setToolTip(QStringLiteral("Un segundo brazo, el gemelo, con su propio controlador: "
                                        "recibe la misma referencia, el mismo ruido y los mismos empujones"));
    form->addRow(QStringLiteral("Controlador"), Controlador);
    form->addRow(QStringLiteral("Comparar con…"), Comparar);
    // Each controller its own gains: the twin's fields write the twin's.
    auto ganancia = [this](double GananciasPid::*campo, bool gemelo) {
        return [this, campo, gemelo](const QString& t, AjustesExperimento& a) {
            GananciasPid& destino = gemelo && a.comparar ? a.comparar->pid : a.controlador.pid;
            GananciasPid g = destino;
            g.*campo = Numero(t, [&](double v) {
                g.*campo = v;
                ComprobarGananciasPid(g);
            });
            destino = g;
        };
    };
    auto escritor = [this](double GananciasPid::*campo, bool gemelo) {
        return [this, campo, gemelo](const AjustesExperimento& a) {
            return Texto((gemelo && a.comparar ? a.comparar->pid : a.controlador.pid).*campo);
        };
    };
    const struct {
        QLineEdit** edit;
        const char* nombre;
        double GananciasPid::*campo;
        bool gemelo;
        const char* ayuda;
    } kGanancias[] = {
        {&Kp, "Kp", &GananciasPid::kp, false, "Ganancia proporcional del PID: fuerza por radián de error"},
        {&Ki, "Ki", &GananciasPid::ki, false,
         "Ganancia integral del PID: fuerza por radián de error acumulado durante un segundo"},
        {&Kd, "Kd", &GananciasPid::kd, false,
         "Ganancia derivativa del PID: fuerza por radián por segundo de velocidad del brazo"},
        {&KpGemelo, "KpGemelo", &GananciasPid::kp, true, "Kp del PID del brazo gemelo"},
        {&KiGemelo, "KiGemelo", &GananciasPid::ki, true, "Ki del PID del brazo gemelo"},
        {&KdGemelo, "KdGemelo", &GananciasPid::kd, true, "Kd del PID del brazo gemelo"},
    };
    QHBoxLayout* filas[2] = {new QHBoxLayout, new QHBoxLayout};
    for (const auto& k : kGanancias) {
        *k.edit = Campo(k.nombre, ganancia(k.campo, k.gemelo), escritor(k.campo, k.gemelo), k.ayuda);
        filas[k.gemelo]->addWidget(new QLabel(QString::fromLatin1(k.nombre, 2), control));
        filas[k.gemelo]->addWidget(*k.edit);
    }
    form->addRow(QStringLiteral("PID"), filas[0]);
    form->addRow(QStringLiteral("PID gemelo"), filas[1]);
    columna->addWidget(control);
    columna->addStretch(1);

    MostrarCampos();
}

QLineEdit* TLabAjustes::Campo(const char* nombre, Lector leer, Escritor escribir, const char* ayuda)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(nombre));
    edit->setToolTip(QString::fromUtf8(ayuda));
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit, leer] { Proponer([&](AjustesExperimento& a) { leer(edit->text(), a); }); });
    campos_.push_back({edit, std::move(escribir)});
    return edit;
}

void TLabAjustes::Proponer(const std::function<void(AjustesExperimento&)>& cambio)
{
    Guarded([&] {
        AjustesExperimento nuevos = actuales_;
        try {
            cambio(nuevos);
            if (!(nuevos == actuales_))
                Cambiar(nuevos);
        } catch (...) {
            // Put back what is in force before the message shows.
            MostrarCampos();
            throw;
        }
    });
}

void TLabAjustes::Mostrar(const AjustesExperimento& ajustes)
{
    const AjustesExperimento antes = std::exchange(actuales_, ajustes);
    MostrarCampos(&antes);
}

void TLabAjustes::MostrarCampos(const AjustesExperimento* antes)
{
    const AjustesExperimento& a = actuales_;
    for (const Enlace& c : campos_) {
        const QString texto = c.escribir(a);
        if (antes && c.escribir(*antes) == texto)
            continue;
        const QSignalBlocker quieto(c.edit);
        c.edit->setText(texto);
    }
    int preset = static_cast<int>(std::size(kPresetsGravedad));
    for (int i = 0; i < preset; ++i)
        if (kPresetsGravedad[i].gravedad == a.brazo.gravedad)
            preset = i;
    PresetGravedad->setCurrentIndex(preset);
    TipoReferencia->setCurrentIndex(static_cast<int>(a.referencia.tipo));
    Controlador->setCurrentIndex(static_cast<int>(a.controlador.tipo));
    Comparar->setCurrentIndex(a.comparar ? static_cast<int>(a.comparar->tipo) + 1 : 0);
    const bool escalones = a.referencia.tipo == nc::TipoReferencia::Escalones;
    const bool rampa = a.referencia.tipo == nc::TipoReferencia::RampaIlimitada;
    const bool onda = a.referencia.tipo != nc::TipoReferencia::Fija && !escalones && !rampa;
    Escalones->setEnabled(escalones);
    for (QLineEdit* e : {Amplitud, Periodo})
        e->setEnabled(onda);
    Desplazamiento->setEnabled(onda || rampa);
    Pendiente->setEnabled(rampa);
    // The gains' fields of a controller that is a PID.
    for (QLineEdit* e : {Kp, Ki, Kd})
        e->setEnabled(a.controlador.tipo == TipoControlador::Pid);
    for (QLineEdit* e : {KpGemelo, KiGemelo, KdGemelo})
        e->setEnabled(a.comparar && a.comparar->tipo == TipoControlador::Pid);
}

QString TLabAjustes::Texto(double valor) const
{
    return QString::fromStdString(FormatGeneral(valor, formato_));
}

std::string TLabAjustes::NoNumero(const std::string& texto) const
{
    return texto.empty() ? std::string("El campo está vacío") : TextoNoNumero(texto, formato_);
}

// A text that is not a number says so, with the decimal separator expected
// and the field's range, which its check gives for a NaN; a number out of
// range gets the range alone. Both write the range's numbers as the fields do.
double TLabAjustes::Numero(const QString& texto, const std::function<void(double)>& comprobar) const
{
    const std::string t = texto.trimmed().toStdString();
    std::optional<double> valor;
    try {
        valor = static_cast<double>(StrToFloat(t, formato_));
    } catch (const ConversionError&) {}
    try {
        comprobar(valor.value_or(kNaN));
    } catch (const AjusteInvalido& e) {
        if (!e.Rango())
            throw;
        const std::string rango = TextoRango(*e.Rango(), formato_);
        throw AjusteInvalido(valor ? rango : NoNumero(t) + ". " + rango);
    }
    if (!valor)
        throw AjusteInvalido(NoNumero(t));
    return *valor;
}

} // namespace nc
