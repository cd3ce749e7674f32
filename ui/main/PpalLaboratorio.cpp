// SPDX-License-Identifier: MIT
// The main window's share of the laboratory: making it, handing it the run,
// and showing each tick it makes through the window's own read-outs, chart
// and animation. Apart from Ppal.cpp, which knows the laboratory only
// through these functions.
#include "ui/main/Ppal.h"

#include "core/run/AjustesExperimento.h"
#include "core/numbers/Unidades.h"
#include "ui/common/Animacion.h"
#include "ui/common/Canvas.h"
#include "ui/lab/tabs/LabPestanas.h"
#include "ui/lab/Laboratorio.h"

#include <memory>
#include <stdexcept>

namespace nc {
namespace {

// A "Fija" setting's text (a point as its separator) as the "Ref." box
// shows it, with the regional separator.
QString TextoCaja(const std::string& texto, const NumberFormat& formato)
{
    QString caja = QString::fromStdString(texto);
    caja.replace(QLatin1Char('.'), QString::fromStdString(formato.decimal_separator));
    return caja;
}

} // namespace

TLaboratorio& TPpal::CrearLaboratorio()
{
    if (laboratorio_)
        return *laboratorio_;
    auto lab = std::make_unique<TLaboratorio>(loop_.Format(), this);
    lab->setAttribute(Qt::WA_QuitOnClose, false);
    AgregarPestanasRed(*lab);
    lab->Arrancar = [this](const ExperimentoGuardado& g) { ArrancarLaboratorio(g); };
    lab->MostrarFija = [this](const std::string& texto) { Edit7->setText(TextoCaja(texto, loop_.Format())); };
    lab->Velocidad = [this]() -> std::optional<int32_t> {
        // The speed box's, when it is one the file can hold; a file without
        // one plays at the speed in force when it is opened.
        try {
            const int32_t v = StrToInt(Edit1->text().toStdString());
            ComprobarVelocidad(v);
            return v;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    // A run under way goes on from where it stands, now through the
    // laboratory: the same state gives the same next tick on either path.
    if (loop_.muestra() > 0)
        lab->Lab().Continuar({loop_.posicion(), loop_.velocidad()}, loop_.muestra());
    laboratorio_ = lab.release(); // owned by this window as its child
    lab_conduce_ = true;
    return *laboratorio_;
}

double TPpal::PosicionGrados() const
{
    if (lab_conduce_)
        return laboratorio_->PosicionGrados();
    return loop_.PosicionSiguiente();
}

void TPpal::LaboratorioAlInicio()
{
    if (!laboratorio_)
        return;
    laboratorio_->Limpiar();
    lab_conduce_ = true;
}

// The same hand-over as ControlLoop's, from the laboratory's tick: with the
// default settings every text, point and angle is the loop's to the bit.
void TPpal::PasoLaboratorio()
{
    if (!loop_.HasNetwork())
        throw std::logic_error("La red neuronal no está construida: pulse Inicializar");
    const SalidaPaso s = laboratorio_->Paso(Edit7->text().toStdString());
    const NumberFormat& f = loop_.Format();
    loop_.SetState(s.brazo.estado.posicion, s.brazo.estado.velocidad, s.muestra + 1);
    SetPositionText(FormatFixed(s.brazo.inicio.posicion * kRadianesAGrados, f));
    SetVelocityText(FormatFixed(s.brazo.inicio.velocidad * kRadianesAGrados, f));
    constexpr TColor kRojo = 0x0000FF;
    Series1->AddPoint(s.muestra, s.brazo.posicion_grados, {}, kRojo);
    Series2->AddPoint(s.muestra, static_cast<double>(s.referencia), {}, kRojo);
    SetForceText(FormatFixed(s.brazo.fuerza, f));
    SetTimeText(FormatGeneral((s.muestra + 1) * kPeriodo, f));
    DibujarBrazos(AnguloAnimacion(s.brazo.estado.posicion), laboratorio_->AnguloGemelo());

    // "Ref." shows the value in force; for "Fija" it is the user's own text,
    // unless a replayed change of it has just acted.
    const ProgramaReferencia& programa = laboratorio_->Lab().Ajustes().referencia;
    if (programa.tipo != TipoReferencia::Fija) {
        Edit7->setText(QString::fromStdString(FormatGeneral(s.referencia, f)));
    } else if (TextoFija(Edit7->text().toStdString(), f) != programa.texto) {
        Edit7->setText(TextoCaja(programa.texto, f));
    }
    if (laboratorio_->Terminado()) {
        laboratorio_->OlvidarFin();
        Timer1->SetEnabled(false);
        SetRunning(false);
    }
}

// A run asked for by the laboratory: as the user would start it, from rest
// at sample 0 with empty plots, at its reference and at the speed in force
// or its own.
void TPpal::ArrancarLaboratorio(const ExperimentoGuardado& guardado)
{
    if (Timer1->Enabled())
        Button1Click();
    if (loop_.HasNetwork())
        Button3Click();
    else
        Button11Click();
    // The speed in force stays, unless the file has a speed of its own.
    if (guardado.ajustes.velocidad)
        Edit1->setText(QString::number(*guardado.ajustes.velocidad));
    if (guardado.ajustes.referencia.tipo == TipoReferencia::Fija)
        Edit7->setText(TextoCaja(guardado.ajustes.referencia.texto, loop_.Format()));
    Button9Click();
}

void TPpal::DibujarBrazos(double angulo, std::optional<double> gemelo)
{
    ImageCanvas canvas(Image3->Surface());
    nc::Dibujar_brazos(canvas, angulo, gemelo);
    Image3->update();
}

} // namespace nc
