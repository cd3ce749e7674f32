// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/PanelEntrenar.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/tabs/VistaMapa.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <map>

namespace nc {
namespace {

// Ten looks a second: the loss curve moves smoothly and a look costs a copy
// of the few losses since the last one.
constexpr int kIntervaloSondeo = 100; // ms

constexpr TColor kAzul = 0xB5561F;       // the network now
constexpr TColor kNaranja = 0x1F8CE6;    // the best before it
constexpr TColor kGrisOscuro = 0x202020; // the reference, dashed
constexpr TColor kGrisRejilla = 0xDDDDDD;

void Letra(TFont& font, int pixels, TFontStyles style = 0)
{
    font.SetName("Arial");
    font.SetHeight(-pixels);
    font.SetColor(clBlack);
    font.SetStyle(style);
}

TChart* Grafica(QWidget* parent, const char* nombre, const std::string& vertical, const std::string& horizontal)
{
    auto* chart = new TChart(parent);
    chart->setObjectName(QString::fromUtf8(nombre));
    chart->SetView3D(false);
    chart->SetColor(clWhite);
    chart->SetBevelOuter(bvNone);
    chart->Gradient().SetVisible(false);
    chart->Title().SetVisible(false);
    chart->Legend().SetVisible(true);
    Letra(chart->Legend().Font(), 14);
    for (TChartAxis* axis : {&chart->LeftAxis(), &chart->BottomAxis()}) {
        axis->SetAutomatic(true);
        axis->Grid().SetColor(kGrisRejilla);
        axis->Grid().SetStyle(psSolid);
        axis->MinorTicks().SetVisible(false);
        Letra(axis->LabelsFont(), 13);
        Letra(axis->Title().Font(), 14, fsBold);
    }
    chart->LeftAxis().Title().SetCaption(vertical);
    chart->BottomAxis().Title().SetCaption(horizontal);
    chart->setMinimumHeight(70);
    return chart;
}

TFastLineSeries* Curva(TChart& chart, TColor color, TPenStyle estilo, const char* titulo)
{
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->SetSeriesColor(color);
    s->LinePen().SetStyle(estilo);
    s->Marks().SetVisible(false);
    s->XValues().SetOrder(loAscending);
    s->YValues().SetOrder(loNone);
    s->SetTitle(titulo);
    return s;
}

QString Porcentaje(int parte, int todo)
{
    return QString::number(todo > 0 ? std::lround(100.0 * parte / todo) : 0) + QStringLiteral(" %");
}

} // namespace

struct TPanelEntrenar::Campo {
    QLineEdit* edit;
    std::function<double(const AjustesEntrenamiento&)> leer;
    std::function<void(double, AjustesEntrenamiento&)> poner;
    bool entero;
};

TPanelEntrenar::TPanelEntrenar(NumberFormat formato, QWidget* parent) : QWidget(parent), formato_(std::move(formato))
{
    auto* columna = new QWidget;
    CrearCampos(columna);
    auto* desplazable = new QScrollArea(this);
    desplazable->setWidget(columna);
    desplazable->setWidgetResizable(true);
    desplazable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    desplazable->setFixedWidth(columna->sizeHint().width() + 24);

    progreso_ = new QProgressBar(this);
    progreso_->setObjectName(QStringLiteral("ProgresoEntrenamiento"));
    estado_ = new QLabel(QStringLiteral("Sin entrenar"), this);
    estado_->setObjectName(QStringLiteral("EstadoEntrenamiento"));

    auto* graficas = new QSplitter(Qt::Vertical, this);
    graficas->setChildrenCollapsible(false);
    perdida_ = Grafica(graficas, "GraficaPerdida", "P\xC3\xA9rdida", "Iteraci\xC3\xB3n");
    perdida_->LeftAxis().SetLogarithmic(true);
    curva_imitacion_ = Curva(*perdida_, kNaranja, psSolid, "Imitaci\xC3\xB3n del PID");
    curva_perdida_ = Curva(*perdida_, kAzul, psSolid, "P\xC3\xA9rdida");
    repeticion_ = Grafica(graficas, "GraficaRepeticion", "Posici\xC3\xB3n (\xC2\xBA)", "Tiempo (s)");
    curva_mejor_ = Curva(*repeticion_, kNaranja, psSolid, "Mejor anterior");
    curva_actual_ = Curva(*repeticion_, kAzul, psSolid, "Ahora");
    curva_referencia_ = Curva(*repeticion_, kGrisOscuro, psDash, "Referencia");
    auto* caja_mapa = new QWidget(graficas);
    auto* capa_mapa = new QVBoxLayout(caja_mapa);
    capa_mapa->setContentsMargins(0, 0, 0, 0);
    titulo_mapa_ = new QLabel(QStringLiteral("Mapa de competencia: aún no calculado"), caja_mapa);
    titulo_mapa_->setObjectName(QStringLiteral("TituloMapaEntrenamiento"));
    titulo_mapa_->setWordWrap(true);
    capa_mapa->addWidget(titulo_mapa_);
    mapa_ = new TVistaMapa(caja_mapa, 1);
    mapa_->setObjectName(QStringLiteral("MapaEntrenamiento"));
    // A few rows read in a small space.
    mapa_->setMinimumHeight(TVistaMapa::kArriba + 4 * 6 + TVistaMapa::kAbajo + 2 * TVistaMapa::kLeyenda);
    mapa_->Mostrar(nullptr, QStringLiteral("Ángulo inicial frente a la referencia"), {});
    capa_mapa->addWidget(mapa_, 1);
    graficas->setStretchFactor(0, 2);
    graficas->setStretchFactor(1, 3);
    graficas->setStretchFactor(2, 3);
    graficas->setSizes({200, 300, 300}); // in these proportions, whatever the height

    auto* derecha = new QVBoxLayout;
    derecha->addWidget(estado_);
    derecha->addWidget(progreso_);
    derecha->addWidget(graficas, 1);
    auto* todo = new QHBoxLayout(this);
    todo->addWidget(desplazable);
    todo->addLayout(derecha, 1);

    sondeo_ = new QTimer(this);
    sondeo_->setInterval(kIntervaloSondeo);
    connect(sondeo_, &QTimer::timeout, this, [this] { Guarded([&] { Sondear(); }); });

    MostrarCampos();
    ActualizarBotones();
}

TPanelEntrenar::~TPanelEntrenar() = default;

QLineEdit* TPanelEntrenar::CampoNumero(const char* nombre, const QString& ayuda,
                                       std::function<double(const AjustesEntrenamiento&)> leer,
                                       std::function<void(double, AjustesEntrenamiento&)> poner, bool entero)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromUtf8(nombre));
    edit->setToolTip(ayuda);
    edit->setMaximumWidth(80);
    campos_.push_back(std::make_unique<Campo>(Campo{edit, std::move(leer), std::move(poner), entero}));
    Campo* campo = campos_.back().get();
    connect(edit, &QLineEdit::editingFinished, this, [this, campo] {
        Guarded([&] {
            if (campo->edit->text() == Texto(campo->leer(ajustes_)))
                return;
            Proponer([&](AjustesEntrenamiento& a) { campo->poner(Numero(*campo), a); });
        });
    });
    return edit;
}

// The field's number, or a refusal that says what is wrong and the field's
// range: the range its check gives for a NaN, written as the fields write
// numbers.
double TPanelEntrenar::Numero(const Campo& campo) const
{
    const std::string texto = campo.edit->text().trimmed().toStdString();
    std::optional<double> valor;
    try {
        valor = static_cast<double>(StrToFloat(texto, formato_));
    } catch (const ConversionError&) {}
    auto rango = [&](double v) -> std::optional<std::string> {
        AjustesEntrenamiento a = ajustes_;
        campo.poner(v, a);
        try {
            ComprobarEntrenamiento(a);
        } catch (const AjusteInvalido& e) {
            if (e.Rango())
                return TextoRango(*e.Rango(), formato_);
            throw;
        }
        return std::nullopt;
    };
    std::string que;
    if (!valor)
        que = texto.empty() ? std::string("El campo está vacío") : TextoNoNumero(texto, formato_);
    else if (campo.entero && std::floor(*valor) != *valor)
        que = "«" + texto + "» no es un número entero";
    if (!que.empty())
        throw AjusteEntrenamientoInvalido(que + ". " + rango(std::nan("")).value_or(""));
    if (const std::optional<std::string> fuera = rango(*valor))
        throw AjusteEntrenamientoInvalido(*fuera);
    return *valor;
}

QString TPanelEntrenar::Texto(double valor) const
{
    return QString::fromStdString(FormatGeneral(valor, formato_));
}

void TPanelEntrenar::CrearCampos(QWidget* columna)
{
    auto* capa = new QVBoxLayout(columna);
    auto grupo = [&](const char* titulo) {
        auto* g = new QGroupBox(QString::fromUtf8(titulo), columna);
        auto* form = new QFormLayout(g);
        capa->addWidget(g);
        return form;
    };
    using A = AjustesEntrenamiento;
    // A whole number of the settings, edited as a double.
    auto entero
        = [&](QFormLayout* form, const char* nombre, const char* etiqueta, const QString& ayuda, auto A::*miembro) {
              form->addRow(QString::fromUtf8(etiqueta),
                           CampoNumero(
                               nombre, ayuda, [miembro](const A& a) { return static_cast<double>(a.*miembro); },
                               [miembro](double v, A& a) {
                                   using T = std::remove_reference_t<decltype(a.*miembro)>;
                                   // Out of the type's range, a value the check refuses.
                                   a.*miembro = std::fabs(v) < 1e15 ? static_cast<T>(v) : T{0};
                               },
                               true));
          };
    auto real
        = [&](QFormLayout* form, const char* nombre, const char* etiqueta, const QString& ayuda, double A::*miembro) {
              form->addRow(QString::fromUtf8(etiqueta),
                           CampoNumero(
                               nombre, ayuda, [miembro](const A& a) { return a.*miembro; },
                               [miembro](double v, A& a) { a.*miembro = v; }));
          };
    // A range as two fields; for the force limit, only while it is on.
    auto rango = [&](QFormLayout* form, const char* nombre, const char* etiqueta, const QString& ayuda,
                     std::function<RangoEntrenamiento*(A&)> de) {
        auto* fila = new QHBoxLayout;
        const std::string n = nombre;
        auto leer = [de](bool hasta) {
            return [de, hasta](const A& a) {
                const RangoEntrenamiento* r = de(const_cast<A&>(a));
                return r ? (hasta ? r->hasta : r->desde) : 0.0;
            };
        };
        auto poner = [de](bool hasta) {
            return [de, hasta](double v, A& a) {
                if (RangoEntrenamiento* r = de(a))
                    (hasta ? r->hasta : r->desde) = v;
            };
        };
        fila->addWidget(
            CampoNumero((n + "Desde").c_str(), ayuda + QStringLiteral(": el menor valor"), leer(false), poner(false)));
        fila->addWidget(new QLabel(QStringLiteral("a"), columna));
        fila->addWidget(
            CampoNumero((n + "Hasta").c_str(), ayuda + QStringLiteral(": el mayor valor"), leer(true), poner(true)));
        form->addRow(QString::fromUtf8(etiqueta), fila);
    };

    // The presets first: one click trains.
    auto* preajustes = new QGroupBox(QStringLiteral("Preajustes"), columna);
    auto* botones_preajuste = new QHBoxLayout(preajustes);
    for (size_t i = 0; i < PreajustesEntrenamiento().size(); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(PreajustesEntrenamiento()[i].nombre), preajustes);
        b->setObjectName(QStringLiteral("Preajuste%1").arg(i));
        b->setToolTip(i == 0 ? QStringLiteral("Cuatro entradas, con la integral del error; gravedad de 0 a 28,5 y "
                                              "carga de -10 a 10: aprende a sostener el brazo en cualquier mundo")
                             : QStringLiteral("Tres entradas, solo la Tierra y sin carga: aprende los límites de la "
                                              "red almacenada"));
        connect(b, &QPushButton::clicked, this, [this, i] { Guarded([&] { Preajuste(static_cast<int>(i)); }); });
        botones_preajuste->addWidget(b);
    }
    capa->addWidget(preajustes);

    QFormLayout* red = grupo("Red");
    integral_ = new QCheckBox(QStringLiteral("Integral del error como cuarta entrada"), columna);
    integral_->setObjectName(QStringLiteral("Integral"));
    integral_->setToolTip(QStringLiteral("Con la integral del error la red puede sostener el brazo contra una "
                                         "gravedad o una carga que no ve"));
    connect(integral_, &QCheckBox::clicked, this,
            [this](bool v) { Guarded([&] { Proponer([&](A& a) { a.integral = v; }); }); });
    red->addRow(integral_);
    real(red, "LimiteIntegral", "Límite de la integral (rad·s)",
         QStringLiteral("La integral del error se mantiene entre ± este valor, para que no se dispare "
                        "(radianes por segundo)"),
         &A::limite_integral);
    entero(red, "Ocultas", "Neuronas ocultas", QStringLiteral("Neuronas tanh de la capa oculta, de 2 a 32"),
           &A::ocultas);

    QFormLayout* condiciones = grupo("Condiciones");
    rango(condiciones, "Referencia", "Referencia (º)", QStringLiteral("La referencia de cada episodio, en grados"),
          [](A& a) { return &a.referencia; });
    rango(condiciones, "AnguloInicial", "Ángulo inicial (º)",
          QStringLiteral("El ángulo de reposo del que parte cada episodio, en grados"),
          [](A& a) { return &a.angulo_inicial; });
    rango(condiciones, "Gravedad", "Gravedad", QStringLiteral("El término de gravedad, en rad/s²"),
          [](A& a) { return &a.gravedad; });
    rango(condiciones, "Amortiguamiento", "Amortiguamiento", QStringLiteral("El amortiguamiento, en 1/s"),
          [](A& a) { return &a.amortiguamiento; });
    rango(condiciones, "Carga", "Carga", QStringLiteral("El par constante de la carga, en rad/s²"),
          [](A& a) { return &a.carga; });
    limitar_ = new QCheckBox(QStringLiteral("Limitar la fuerza"), columna);
    limitar_->setObjectName(QStringLiteral("LimitarFuerza"));
    limitar_->setToolTip(QStringLiteral("Entrenar con un límite de la fuerza, distinto en cada episodio"));
    connect(limitar_, &QCheckBox::clicked, this, [this](bool v) {
        Guarded([&] {
            Proponer([&](A& a) {
                if (v)
                    a.fuerza_maxima = RangoEntrenamiento{20, 40};
                else
                    a.fuerza_maxima.reset();
            });
        });
    });
    condiciones->addRow(limitar_);
    rango(condiciones, "FuerzaMaxima", "Fuerza máxima", QStringLiteral("El límite de la fuerza, en rad/s²"),
          [](A& a) { return a.fuerza_maxima ? &*a.fuerza_maxima : nullptr; });
    entero(condiciones, "Muestras", "Muestras por episodio",
           QStringLiteral("Muestras de 0,05 s de cada episodio, de 10 a 2000"), &A::muestras);
    entero(condiciones, "Episodios", "Episodios por iteración",
           QStringLiteral("Episodios de cada iteración, de 1 a 1024"), &A::episodios);
    entero(condiciones, "Iteraciones", "Iteraciones", QStringLiteral("Pasos de Adam, de 1 a 1000000"), &A::iteraciones);
    real(condiciones, "Tasa", "Tasa de aprendizaje", QStringLiteral("La tasa de Adam, de 0,0001 a 1"), &A::tasa);
    entero(condiciones, "Semilla", "Semilla",
           QStringLiteral("La misma semilla y los mismos ajustes dan la misma red, bit a bit"), &A::semilla);

    QFormLayout* metodo = grupo("Método");
    entero(metodo, "Subpasos", "Subpasos de Runge-Kutta",
           QStringLiteral("Subpasos por muestra al entrenar, de 1 a 100 (el brazo usa 100; 5 bastan para "
                          "aprender y son 20 veces más rápidos)"),
           &A::subpasos);
    entero(metodo, "Imitacion", "Imitar el PID (iteraciones)",
           QStringLiteral("Iteraciones de arranque en las que la red imita a un PID; 0 para empezar sin ellas"),
           &A::imitacion);
    real(metodo, "PesoVelocidad", "Peso de la velocidad",
         QStringLiteral("Cuánto pesa la velocidad al cuadrado en la pérdida"), &A::peso_velocidad);
    real(metodo, "PesoFuerza", "Peso de la fuerza", QStringLiteral("Cuánto pesa la fuerza al cuadrado en la pérdida"),
         &A::peso_fuerza);
    real(metodo, "PesoSobreimpulso", "Peso del sobreimpulso",
         QStringLiteral("Cuánto pesa pasarse de la referencia, al cuadrado, en la pérdida"), &A::peso_sobreimpulso);
    real(metodo, "Recorte", "Recorte del gradiente",
         QStringLiteral("La norma del gradiente se recorta a este valor; 0 para no recortar"), &A::recorte);

    // The training and what it gives.
    auto* acciones = new QGroupBox(QStringLiteral("Entrenamiento"), columna);
    auto* rejilla = new QGridLayout(acciones);
    auto boton = [&](const char* texto, const char* nombre, const QString& ayuda, void (TPanelEntrenar::*comando)(),
                     int fila, int col) {
        auto* b = new QPushButton(QString::fromUtf8(texto), acciones);
        b->setObjectName(QString::fromUtf8(nombre));
        b->setToolTip(ayuda);
        connect(b, &QPushButton::clicked, this, [this, comando] { Guarded([&] { (this->*comando)(); }); });
        rejilla->addWidget(b, fila, col);
        return b;
    };
    entrenar_ = boton("Entrenar", "Entrenar", QStringLiteral("Entrena una red nueva con estos ajustes"),
                      &TPanelEntrenar::Entrenar, 0, 0);
    reiniciar_ = boton("Reiniciar", "Reiniciar", QStringLiteral("Vuelve a empezar desde la misma semilla"),
                       &TPanelEntrenar::Reiniciar, 0, 1);
    pausar_ = boton("Pausa", "Pausar", QStringLiteral("Detiene el entrenamiento sin perderlo"), &TPanelEntrenar::Pausar,
                    1, 0);
    continuar_ = boton("Continuar", "Continuar", QStringLiteral("Sigue el entrenamiento detenido"),
                       &TPanelEntrenar::Continuar, 1, 1);
    cancelar_ = boton("Cancelar", "Cancelar", QStringLiteral("Termina el entrenamiento; la red queda como está"),
                      &TPanelEntrenar::Cancelar, 2, 0);
    capa->addWidget(acciones);

    auto* resultado = new QGroupBox(QStringLiteral("La red entrenada"), columna);
    auto* rejilla_resultado = new QGridLayout(resultado);
    auto accion = [&](const char* texto, const char* nombre, const QString& ayuda, std::function<void()> hacer,
                      int fila, int col) {
        auto* b = new QPushButton(QString::fromUtf8(texto), resultado);
        b->setObjectName(QString::fromUtf8(nombre));
        b->setToolTip(ayuda);
        connect(b, &QPushButton::clicked, this, [hacer] { Guarded(hacer); });
        rejilla_resultado->addWidget(b, fila, col);
        return b;
    };
    usar_ = accion(
        "Usar como controlador", "UsarControlador",
        QStringLiteral("La red, tal como está ahora, controla el brazo del laboratorio"),
        [this] {
            if (Usar && red_)
                Usar(red_, false);
        },
        0, 0);
    gemelo_ = accion(
        "Usar como gemelo", "UsarGemelo",
        QStringLiteral("La red, tal como está ahora, controla el brazo gemelo, para compararla"),
        [this] {
            if (Usar && red_)
                Usar(red_, true);
        },
        0, 1);
    guardar_ = accion(
        "Guardar red…", "GuardarRed", QStringLiteral("Guarda la red y sus ajustes de entrenamiento en un fichero"),
        [this] {
            if (GuardarRed)
                GuardarRed();
        },
        1, 0);
    abrir_ = accion(
        "Abrir red…", "AbrirRed", QStringLiteral("Abre una red guardada"),
        [this] {
            if (AbrirRed)
                AbrirRed();
        },
        1, 1);
    capa->addWidget(resultado);
    capa->addStretch(1);
}

void TPanelEntrenar::Proponer(const std::function<void(AjustesEntrenamiento&)>& cambio)
{
    AjustesEntrenamiento a = ajustes_;
    try {
        cambio(a);
        ComprobarEntrenamiento(a);
    } catch (...) {
        MostrarCampos();
        throw;
    }
    ajustes_ = a;
    MostrarCampos();
}

void TPanelEntrenar::SetAjustes(const AjustesEntrenamiento& ajustes)
{
    ComprobarEntrenamiento(ajustes);
    ajustes_ = ajustes;
    MostrarCampos();
}

void TPanelEntrenar::MostrarCampos()
{
    for (const std::unique_ptr<Campo>& c : campos_) {
        c->edit->setText(Texto(c->leer(ajustes_)));
        c->edit->setCursorPosition(0);
    }
    integral_->setChecked(ajustes_.integral);
    limitar_->setChecked(ajustes_.fuerza_maxima.has_value());
    for (const char* n : {"FuerzaMaximaDesde", "FuerzaMaximaHasta"})
        if (auto* e = findChild<QLineEdit*>(QString::fromUtf8(n)))
            e->setEnabled(ajustes_.fuerza_maxima.has_value());
    if (auto* e = findChild<QLineEdit*>(QStringLiteral("LimiteIntegral")))
        e->setEnabled(ajustes_.integral);
}

void TPanelEntrenar::Empezar(const AjustesEntrenamiento& ajustes)
{
    auto nuevo = std::make_unique<EntrenamientoEnCurso>(ajustes);
    entrenamiento_ = std::move(nuevo);
    terminado_ = false;
    perdidas_ = 0;
    repeticion_mostrada_ = -1;
    mapa_mostrado_ = -1;
    curva_perdida_->ClearPoints();
    curva_imitacion_->ClearPoints();
    for (TFastLineSeries* c : {curva_actual_, curva_mejor_, curva_referencia_})
        c->ClearPoints();
    mapa_->Mostrar(nullptr, QStringLiteral("Ángulo inicial frente a la referencia"), {});
    mapa_actual_.reset();
    titulo_mapa_->setText(QStringLiteral("Mapa de competencia: aún no calculado"));
    perdida_->UndoZoom();
    repeticion_->UndoZoom();
    sondeo_->start();
    ActualizarBotones();
}

void TPanelEntrenar::Entrenar()
{
    Empezar(ajustes_);
}

void TPanelEntrenar::Reiniciar()
{
    // The same settings as the training under way, from its first iteration.
    Empezar(entrenamiento_ ? entrenamiento_->Ajustes() : ajustes_);
}

void TPanelEntrenar::Pausar()
{
    if (entrenamiento_)
        entrenamiento_->Pausar();
    Sondear();
}

void TPanelEntrenar::Continuar()
{
    if (entrenamiento_)
        entrenamiento_->Continuar();
    Sondear();
}

void TPanelEntrenar::Cancelar()
{
    if (entrenamiento_)
        entrenamiento_->Cancelar();
    Sondear();
}

void TPanelEntrenar::Preajuste(int indice)
{
    SetAjustes(PreajustesEntrenamiento().at(static_cast<size_t>(indice)).ajustes);
    Entrenar();
}

RedGuardada TPanelEntrenar::ParaGuardar() const
{
    if (!red_)
        throw std::runtime_error("Aún no hay ninguna red entrenada que guardar");
    return {*red_, origen_, perdida_final_};
}

void TPanelEntrenar::Abrir(const RedGuardada& guardada)
{
    ComprobarRedEntrenada(guardada.red);
    if (guardada.entrenamiento)
        ComprobarEntrenamiento(*guardada.entrenamiento);
    entrenamiento_.reset();
    sondeo_->stop();
    terminado_ = false;
    red_ = std::make_shared<const RedEntrenada>(guardada.red);
    origen_ = guardada.entrenamiento;
    perdida_final_ = guardada.perdida_final;
    if (origen_)
        SetAjustes(*origen_);
    estado_->setText(
        QStringLiteral("Red abierta: %1 entradas, %2 neuronas ocultas").arg(red_->Entradas()).arg(red_->ocultas));
    ActualizarBotones();
}

void TPanelEntrenar::Sondear()
{
    if (!entrenamiento_)
        return;
    const VistaEntrenamiento v = entrenamiento_->Ver(perdidas_);
    for (double l : v.perdidas) {
        ++perdidas_;
        // The warm start's error is in other units (the force's, relative to
        // the largest one asked for): a curve of its own. The logarithmic
        // axis needs positive values.
        TFastLineSeries* curva = static_cast<int64_t>(perdidas_) <= entrenamiento_->Ajustes().imitacion
            ? curva_imitacion_
            : curva_perdida_;
        if (l > 0 && std::isfinite(l))
            curva->AddPoint(static_cast<double>(perdidas_), l);
    }
    if (v.red) {
        red_ = v.red;
        origen_ = entrenamiento_->Ajustes();
    }
    if (perdidas_ > 0 && !v.perdidas.empty())
        perdida_final_ = v.perdidas.back();
    MostrarRepeticiones(v);
    if (v.mapa && v.iteracion_mapa != mapa_mostrado_) {
        mapa_mostrado_ = v.iteracion_mapa;
        mapa_actual_ = v.mapa;
        mapa_->Mostrar(&*mapa_actual_, QStringLiteral("Iteración %1").arg(v.iteracion_mapa), {});
        std::map<ClaseCelda, int> n;
        for (ClaseCelda c : v.mapa->brazo)
            ++n[c];
        const int todo = static_cast<int>(v.mapa->brazo.size());
        titulo_mapa_->setText(
            QStringLiteral("Mapa de competencia en la iteración %1: se establece %2, con sobreimpulso %3, lenta %4, "
                           "gira %5, se detiene fuera %6")
                .arg(v.iteracion_mapa)
                .arg(Porcentaje(n[ClaseCelda::Establece], todo), Porcentaje(n[ClaseCelda::Sobreimpulso], todo),
                     Porcentaje(n[ClaseCelda::Lenta], todo), Porcentaje(n[ClaseCelda::Gira], todo),
                     Porcentaje(n[ClaseCelda::SeDetieneFuera], todo)));
    }
    progreso_->setMaximum(static_cast<int>(v.iteraciones));
    progreso_->setValue(static_cast<int>(v.iteracion));
    QString texto = QStringLiteral("Iteración %1 de %2 · %3 s")
                        .arg(v.iteracion)
                        .arg(v.iteraciones)
                        .arg(QString::fromStdString(FormatFixed(v.segundos, formato_)).chopped(3));
    if (v.imitando)
        texto += QStringLiteral(" · imitando el PID");
    if (!v.error.empty())
        texto += QStringLiteral(" · falló: ") + QString::fromStdString(v.error);
    else if (v.terminado)
        texto += v.iteracion >= v.iteraciones ? QStringLiteral(" · terminado") : QStringLiteral(" · cancelado");
    else if (v.pausado)
        texto += QStringLiteral(" · en pausa");
    estado_->setText(texto);
    if (v.terminado && !terminado_) {
        terminado_ = true;
        sondeo_->stop();
        ActualizarBotones();
        if (!v.error.empty())
            throw std::runtime_error(v.error);
    }
    ActualizarBotones();
}

void TPanelEntrenar::MostrarRepeticiones(const VistaEntrenamiento& v)
{
    if (!v.repeticion || v.repeticion->iteracion == repeticion_mostrada_)
        return;
    repeticion_mostrada_ = v.repeticion->iteracion;
    auto llenar = [](TFastLineSeries* curva, const std::vector<float>& valores) {
        curva->ClearPoints();
        for (size_t k = 0; k < valores.size(); ++k)
            curva->AddPoint(static_cast<double>(k) * 0.05, valores[k]);
    };
    llenar(curva_actual_, v.repeticion->posiciones);
    llenar(curva_referencia_, v.repeticion->referencias);
    curva_actual_->SetTitle("Iteraci\xC3\xB3n " + std::to_string(v.repeticion->iteracion));
    if (v.mejor) {
        llenar(curva_mejor_, v.mejor->posiciones);
        curva_mejor_->SetTitle("Mejor anterior (" + std::to_string(v.mejor->iteracion) + ")");
    } else {
        curva_mejor_->ClearPoints();
    }
}

void TPanelEntrenar::ActualizarBotones()
{
    const bool hay = entrenamiento_ != nullptr;
    const bool corriendo = hay && !terminado_;
    const bool pausado = corriendo && entrenamiento_->Pausado();
    entrenar_->setEnabled(!corriendo);
    reiniciar_->setEnabled(hay);
    pausar_->setEnabled(corriendo && !pausado);
    continuar_->setEnabled(pausado);
    cancelar_->setEnabled(corriendo);
    for (QPushButton* b : {usar_, gemelo_, guardar_})
        b->setEnabled(red_ != nullptr);
}

} // namespace nc
