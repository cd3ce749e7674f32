// SPDX-License-Identifier: MIT
#include "ui/lab/LabChart.h"
#include "locale/RegionalFormat.h"

#include "ui/common/FileDialogs.h"

#include "ui/common/ErrorBox.h"
#include "ui/common/ResponseFile.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

namespace nc {
namespace {

// Colours as 0x00BBGGRR. Each twin curve is its arm's colour washed out, so
// that the pair reads as one quantity and the main controller stands out.
constexpr TColor kAzul = 0xB5561F;        // position
constexpr TColor kAzulClaro = 0xE5B27F;   // twin's position
constexpr TColor kGrisOscuro = 0x202020;  // reference, dashed
constexpr TColor kRojo = 0x2B2BC8;        // force
constexpr TColor kRojoClaro = 0x8C8CF0;   // twin's force
constexpr TColor kVerde = 0x2E8B1F;       // error
constexpr TColor kVerdeClaro = 0x8CD086;  // twin's error
constexpr TColor kMorado = 0x9C3D8E;      // force limit, dashed
constexpr TColor kGrisRejilla = 0xDDDDDD; // grid
constexpr TColor kGrisMarca = 0x5A5A5A;   // events' markers, dotted

// Pixel heights of the fonts: read from the back of a room on a projector.
constexpr int kLetraEtiquetas = 17;
constexpr int kLetraTitulos = 19;
constexpr int kLetraLeyenda = 18;
constexpr int kLetraMinima = 10; // the least a title shrinks to
// A chart this tall or taller has its letters at their full size; a shorter
// one (on a small screen) scales them with its height, down to kEscalaMinima.
constexpr int kAltoPleno = 520;
constexpr double kEscalaMinima = 0.7;
constexpr int kMargenCurvas = 8;

void SetFont(TFont& font, int pixels, TFontStyles style = 0)
{
    font.SetName("Arial");
    font.SetHeight(-pixels);
    font.SetColor(clBlack);
    font.SetStyle(style);
}

int Escalada(int pixels, double escala)
{
    return static_cast<int>(std::lround(pixels * escala));
}

// The legend's, the labels' and the titles' letters at this scale of their
// full size.
void SetLetters(TChart& chart, double escala)
{
    SetFont(chart.Legend().Font(), Escalada(kLetraLeyenda, escala));
    SetFont(chart.Markers().Font(), Escalada(kLetraEtiquetas, escala));
    for (TChartAxis* axis : {&chart.LeftAxis(), &chart.BottomAxis()}) {
        SetFont(axis->Title().Font(), Escalada(kLetraTitulos, escala), fsBold);
        SetFont(axis->LabelsFont(), Escalada(kLetraEtiquetas, escala));
    }
    // Both left axes reserve this for their labels, so that the two plots
    // start at the same column and a sample lies on one vertical line
    // through both.
    chart.LeftAxis().SetLabelsSize(6 * Escalada(kLetraEtiquetas, escala));
}

void ConfigureAxis(TChartAxis& axis, const std::string& caption)
{
    axis.SetAutomatic(true);
    axis.Grid().SetColor(kGrisRejilla);
    axis.Grid().SetStyle(psSolid);
    axis.Ticks().SetColor(clBlack);
    axis.MinorTicks().SetVisible(false);
    axis.Title().SetCaption(caption);
}

void ConfigurePanel(TChart& chart, const std::string& vertical, const std::string& horizontal)
{
    chart.SetView3D(false);
    // The panel's white shows through the plot: a solid back wall would fill
    // the plot a second time on every paint.
    chart.SetColor(clWhite);
    chart.SetBevelOuter(bvNone);
    chart.Frame().SetColor(clBlack);
    chart.Gradient().SetVisible(false);
    chart.Title().SetVisible(false);
    chart.SetMarginLeft(1);
    chart.SetMarginRight(2);
    chart.Legend().SetVisible(true);
    ConfigureAxis(chart.LeftAxis(), vertical);
    ConfigureAxis(chart.BottomAxis(), horizontal);
    SetLetters(chart, 1.0);
    chart.setFocusPolicy(Qt::StrongFocus);
}

TFastLineSeries* AddCurve(TChart& chart, TColor color, TPenStyle style)
{
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->SetSeriesColor(color);
    s->LinePen().SetStyle(style);
    s->Marks().SetVisible(false);
    s->XValues().SetOrder(loAscending);
    s->YValues().SetOrder(loNone);
    // The curves' ends clear of the plot's outline by a few pixels, so that
    // a settled reference or a force limit at an end of the axis is not
    // lost on the frame.
    s->SetVerticalMargins(kMargenCurvas, kMargenCurvas);
    return s;
}

} // namespace

TLabChart::TLabChart(QWidget* parent) : QWidget(parent)
{
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setChildrenCollapsible(false);
    posicion_ = new TChart(splitter_);
    fuerza_ = new TChart(splitter_);
    posicion_->setObjectName(QStringLiteral("PanelPosicion"));
    fuerza_->setObjectName(QStringLiteral("PanelFuerza"));
    // The position is what the audience follows: the upper panel is taller.
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    // The time's title once, under the lower panel; both keep their labels.
    ConfigurePanel(*posicion_, "Posici\xC3\xB3n (Grados)", "");
    ConfigurePanel(*fuerza_, "Fuerza \xC2\xB7 Error (\xC2\xBA)", "Tiempo (s)");
    curvas_.posicion = AddCurve(*posicion_, kAzul, psSolid);
    curvas_.posicion_gemelo = AddCurve(*posicion_, kAzulClaro, psSolid);
    curvas_.referencia = AddCurve(*posicion_, kGrisOscuro, psDash);
    curvas_.fuerza = AddCurve(*fuerza_, kRojo, psSolid);
    curvas_.fuerza_gemelo = AddCurve(*fuerza_, kRojoClaro, psSolid);
    curvas_.error = AddCurve(*fuerza_, kVerde, psSolid);
    curvas_.error_gemelo = AddCurve(*fuerza_, kVerdeClaro, psSolid);
    curvas_.limite_superior = AddCurve(*fuerza_, kMorado, psDash);
    curvas_.limite_inferior = AddCurve(*fuerza_, kMorado, psDash);
    curvas_.limite_inferior->SetShowInLegend(false);
    curvas_.limite_superior->SetTitle("L\xC3\xADmite de fuerza");
    // After the forces: where a demand is the force, its dashes fall on the
    // solid curve of the same colour and only the cut stretches show.
    curvas_.fuerza_pedida = AddCurve(*fuerza_, kRojo, psDash);
    curvas_.fuerza_pedida_gemelo = AddCurve(*fuerza_, kRojoClaro, psDash);

    CreateMenu();
    posicion_->installEventFilter(this);
    fuerza_->installEventFilter(this);
    WirePanel(*posicion_, *fuerza_);
    WirePanel(*fuerza_, *posicion_);
    SetNombres(QStringLiteral("Red neuronal"), std::nullopt);
    UpdateLimits();
}

void TLabChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const double escala = std::clamp(static_cast<double>(height()) / kAltoPleno, kEscalaMinima, 1.0);
    if (escala == escala_)
        return;
    escala_ = escala;
    for (TChart* panel : {posicion_, fuerza_})
        SetLetters(*panel, escala);
    fitted_room_[0] = fitted_room_[1] = 0;
}

bool TLabChart::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && (watched == posicion_ || watched == fuerza_))
        FitLeftTitle(*static_cast<TChart*>(watched));
    return QWidget::eventFilter(watched, event);
}

// Run before each paint, from the plot and legend the last paint laid out.
// The title is centred on the plot, so it has twice the room from the plot's
// centre to the nearer of the legend above and the panel's lower edge. At a
// new size, or with a new room, the last plot is stale: the panel is drawn
// once more once this paint is done, with this paint's.
void TLabChart::FitLeftTitle(TChart& panel)
{
    const int i = &panel == posicion_ ? 0 : 1;
    const auto again = [&panel] { QTimer::singleShot(0, &panel, [&panel] { panel.Invalidate(); }); };
    if (fitted_size_[i] != panel.size()) {
        fitted_size_[i] = panel.size();
        again();
    }
    if (panel.PlotHeight <= 0)
        return;
    const TRect& legend = panel.Legend().LegendRect;
    const int top = legend.Bottom > legend.Top ? legend.Bottom : 0;
    const int room = 2 * std::min(panel.PlotCenterY - top, panel.height() - panel.PlotCenterY) - 4;
    if (room == fitted_room_[i])
        return;
    fitted_room_[i] = room;
    again();
    // Measured as the engine will draw it, on the panel's own canvas.
    TChartAxisTitle& title = panel.LeftAxis().Title();
    TChartCanvas3D& canvas = panel.Canvas();
    TFont* font = canvas.Font();
    if (!font)
        return;
    int pixels = Escalada(kLetraTitulos, escala_);
    for (; pixels > kLetraMinima; --pixels) {
        SetFont(*font, pixels, fsBold);
        if (canvas.TextWidth(title.Caption()) <= room)
            break;
    }
    SetFont(title.Font(), pixels, fsBold);
}

void TLabChart::CreateMenu()
{
    Menu = new QMenu(this);
    Menu->setObjectName(QStringLiteral("MenuGraficaLab"));
    GuardarImagen1 = Menu->addAction(QStringLiteral("Guardar imagen…"));
    GuardarDatos1 = Menu->addAction(QStringLiteral("Guardar datos…"));
    CopiarImagen1 = Menu->addAction(QStringLiteral("Copiar imagen"));
    Menu->addSeparator();
    DeshacerZoom1 = Menu->addAction(QStringLiteral("Deshacer zoom"));
    connect(GuardarImagen1, &QAction::triggered, this, &TLabChart::GuardarImagenClick);
    connect(GuardarDatos1, &QAction::triggered, this, &TLabChart::GuardarDatosClick);
    connect(CopiarImagen1, &QAction::triggered, this, &TLabChart::CopiarImagenClick);
    connect(DeshacerZoom1, &QAction::triggered, this, &TLabChart::DeshacerZoomClick);
    carpeta_guardado_ = QDir::currentPath();
    AskSaveFileName = [this](const QString& title, const QString& suggested, const QString& filter) {
        if (filter == QLatin1String(kPictureFilter))
            return AskSavePictureWithQtDialog(this, title, suggested, filter, size(), tamano_imagen_);
        return AskSaveWithQtDialog(this, title, suggested, filter);
    };
}

void TLabChart::WirePanel(TChart& panel, TChart& other)
{
    panel.OnError = [](const std::exception& e) { ShowError(QString::fromUtf8(e.what())); };
    panel.OnContextPopup = [this, &panel](int x, int y) { ContextPopup(panel, x, y); };
    panel.OnHint
        = [this, &panel](int x, int y) { return LabHint(panel, Columns(&panel), x, y, RegionalNumberFormat()); };
    panel.OnZoom = [this, &other](TCustomChart& from) { FollowX(static_cast<TChart&>(from), other); };
    panel.OnScroll = [this, &other](TCustomChart& from) { FollowX(static_cast<TChart&>(from), other); };
    panel.OnUndoZoom = [this, &other](TCustomChart& from) { UndoBoth(static_cast<TChart&>(from), other); };
}

// The other panel's X axis is set, not zoomed: its vertical axes keep
// following its own data, and its undo comes through UndoBoth.
void TLabChart::FollowX(TChart& from, TChart& to)
{
    if (linking_)
        return;
    linking_ = true;
    FixRange(to.BottomAxis(), from.BottomAxis().Maximum(), from.BottomAxis().Minimum());
    linking_ = false;
}

void TLabChart::UndoBoth(TChart& from, TChart& to)
{
    if (linking_)
        return;
    linking_ = true;
    to.UndoZoom();
    // A panel that only followed saved nothing: its X axis is given back
    // here, and so is that of one zoomed after it followed.
    from.BottomAxis().SetAutomatic(true);
    to.BottomAxis().SetAutomatic(true);
    linking_ = false;
}

bool TLabChart::Zoomed() const
{
    return !posicion_->NothingSaved() || !fuerza_->NothingSaved() || !posicion_->BottomAxis().Automatic()
        || !fuerza_->BottomAxis().Automatic();
}

void TLabChart::Limpiar()
{
    for (TChart* panel : {posicion_, fuerza_})
        for (int i = 0; i < panel->SeriesCount(); ++i)
            panel->Series(i).ClearPoints();
    UpdateLimits();
    posicion_->Markers().Clear();
    fuerza_->Markers().Clear();
    posicion_->UndoZoom();
}

void TLabChart::Marcar(int32_t muestra, const QString& etiqueta)
{
    const double x = static_cast<double>(muestra) * kSegundosPorMuestra;
    posicion_->Markers().Add(x, etiqueta.toStdString(), kGrisMarca);
    fuerza_->Markers().Add(x, {}, kGrisMarca);
}

void TLabChart::SetNombres(const QString& principal, const std::optional<QString>& gemelo)
{
    principal_ = principal;
    gemelo_ = gemelo;
    const bool twin = gemelo.has_value();
    curvas_.posicion_gemelo->SetActive(twin);
    curvas_.fuerza_gemelo->SetActive(twin);
    curvas_.error_gemelo->SetActive(twin);
    UpdateTitles();
    UpdateDemands();
}

void TLabChart::UpdateDemands()
{
    curvas_.fuerza_pedida->SetActive(limite_.has_value());
    curvas_.fuerza_pedida_gemelo->SetActive(limite_.has_value() && gemelo_.has_value());
}

void TLabChart::UpdateTitles()
{
    const auto named = [](const char* what, const QString& who) {
        return (QString::fromUtf8(what) + QStringLiteral(" (") + who + u')').toStdString();
    };
    curvas_.posicion->SetTitle(named("Posici\xC3\xB3n", principal_));
    curvas_.fuerza->SetTitle(named("Fuerza", principal_));
    curvas_.error->SetTitle(named("Error", principal_));
    const QString twin = gemelo_.value_or(QString());
    curvas_.posicion_gemelo->SetTitle(named("Posici\xC3\xB3n", twin));
    curvas_.fuerza_gemelo->SetTitle(named("Fuerza", twin));
    curvas_.error_gemelo->SetTitle(named("Error", twin));
    curvas_.fuerza_pedida->SetTitle(named("Fuerza pedida", principal_));
    curvas_.fuerza_pedida_gemelo->SetTitle(named("Fuerza pedida", twin));
    curvas_.referencia->SetTitle("Referencia");
}

void TLabChart::Agregar(const MuestraLab& m)
{
    // The product is the rule the value list keeps without storing (first +
    // i * step), so a run from sample 0 stores no X values.
    const double x = static_cast<double>(m.muestra) * kSegundosPorMuestra;
    const double referencia = m.referencia;
    curvas_.posicion->AddPoint(x, m.posicion);
    curvas_.referencia->AddPoint(x, referencia);
    curvas_.fuerza->AddPoint(x, m.fuerza);
    curvas_.error->AddPoint(x, referencia - static_cast<double>(m.posicion));
    if (m.posicion_gemelo) {
        curvas_.posicion_gemelo->AddPoint(x, *m.posicion_gemelo);
        curvas_.error_gemelo->AddPoint(x, referencia - static_cast<double>(*m.posicion_gemelo));
    }
    curvas_.fuerza_pedida->AddPoint(x, m.fuerza_pedida.value_or(m.fuerza));
    if (m.fuerza_gemelo) {
        curvas_.fuerza_gemelo->AddPoint(x, *m.fuerza_gemelo);
        curvas_.fuerza_pedida_gemelo->AddPoint(x, m.fuerza_pedida_gemelo.value_or(*m.fuerza_gemelo));
    }
    if (limite_)
        UpdateLimits();
}

void TLabChart::SetFuerzaMaxima(std::optional<double> limite)
{
    limite_ = limite;
    curvas_.limite_superior->ClearPoints();
    curvas_.limite_inferior->ClearPoints();
    UpdateLimits();
    UpdateDemands();
}

// Each limit is a line of two points, from the run's first sample to its
// last: a sample moves the second point, so the line costs nothing per
// sample beyond that.
void TLabChart::UpdateLimits()
{
    const bool shown = limite_.has_value() && curvas_.posicion->Count() > 0;
    curvas_.limite_superior->SetActive(shown);
    curvas_.limite_inferior->SetActive(shown);
    if (!shown)
        return;
    const double first = curvas_.posicion->XValues().Value(0);
    const double last = curvas_.posicion->XValues().LastValue();
    for (auto [line, y] :
         {std::pair{curvas_.limite_superior, *limite_}, std::pair{curvas_.limite_inferior, -*limite_}}) {
        if (line->Count() == 2 && line->XValue(1) == last)
            continue;
        if (line->Count() == 0)
            line->AddPoint(first, y);
        if (line->Count() == 2)
            line->Delete(1);
        line->AddPoint(last, y);
    }
}

std::vector<LabColumn> TLabChart::Columns(const TChart* panel) const
{
    const auto column = [](const char* nombre, const TFastLineSeries* s, const char* unidad) {
        return LabColumn{nombre, s->Title(), unidad, s};
    };
    const char* grados = "\xC2\xBA";
    std::vector<LabColumn> out;
    const bool twin = gemelo_.has_value();
    if (panel == nullptr || panel == posicion_) {
        out.push_back(column("posicion", curvas_.posicion, grados));
        if (twin)
            out.push_back(column("posicion_gemelo", curvas_.posicion_gemelo, grados));
        out.push_back(column("referencia", curvas_.referencia, grados));
    }
    if (panel == nullptr || panel == fuerza_) {
        out.push_back(column("fuerza", curvas_.fuerza, ""));
        if (twin)
            out.push_back(column("fuerza_gemelo", curvas_.fuerza_gemelo, ""));
        out.push_back(column("error", curvas_.error, grados));
        if (twin)
            out.push_back(column("error_gemelo", curvas_.error_gemelo, grados));
        if (limite_) {
            out.push_back(column("fuerza_pedida", curvas_.fuerza_pedida, ""));
            if (twin)
                out.push_back(column("fuerza_pedida_gemelo", curvas_.fuerza_pedida_gemelo, ""));
        }
    }
    return out;
}

QImage TLabChart::Imagen() const
{
    // The splitter fills the widget; grabbing it renders at the widget's
    // device pixel ratio.
    return splitter_->grab().toImage();
}

QImage TLabChart::Imagen(QSize tamano)
{
    const QList<int> alturas = splitter_->sizes();
    const int hueco = splitter_->handleWidth();
    const int total = alturas.value(0) + alturas.value(1);
    const int libre = std::max(2, tamano.height() - hueco);
    const int arriba = std::clamp(total > 0 ? MulDiv(libre, alturas.value(0), total) : libre / 2, 1, libre - 1);
    QImage imagen(tamano, QImage::Format_RGB32);
    imagen.fill(palette().color(QPalette::Window));
    QPainter pintor(&imagen);
    pintor.drawImage(0, 0, posicion_->DrawPicture(tamano.width(), arriba));
    pintor.drawImage(0, arriba + hueco, fuerza_->DrawPicture(tamano.width(), libre - arriba));
    return imagen;
}

void TLabChart::GuardarDatos(const QString& ruta) const
{
    const std::string text = LabTsv(Columns(nullptr));
    SaveAtomically(ruta, [&](QIODevice& file) {
        return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
    });
}

// The menu opens without a loop of its own, so the run goes on while it is
// open.
void TLabChart::ContextPopup(TChart& panel, int x, int y)
{
    Guarded([&] {
        DeshacerZoom1->setEnabled(Zoomed());
        Menu->popup(panel.mapToGlobal(QPoint(x, y)));
    });
}

void TLabChart::AbrirMenu()
{
    TChart& panel = fuerza_->hasFocus() ? *fuerza_ : *posicion_;
    ContextPopup(panel, panel.width() / 2, panel.height() / 2);
}

QString TLabChart::AskPath(const QString& title, const QString& name, const QString& filter)
{
    const QString path = AskSaveFileName(title, QDir(carpeta_guardado_).filePath(name), filter);
    if (!path.isEmpty())
        carpeta_guardado_ = QFileInfo(path).absolutePath();
    return path;
}

void TLabChart::GuardarDatosClick()
{
    Guarded([&] {
        const QString path = AskPath(QStringLiteral("Guardar datos"), QStringLiteral("laboratorio.tsv"),
                                     QStringLiteral("Datos separados por tabuladores (*.tsv)"));
        if (!path.isEmpty())
            GuardarDatos(path);
    });
}

void TLabChart::GuardarImagenClick()
{
    Guarded([&] {
        const QString path = AskPath(QStringLiteral("Guardar imagen"), QStringLiteral("laboratorio.png"),
                                     QString::fromLatin1(kPictureFilter));
        if (path.isEmpty())
            return;
        // As on screen, or drawn again by the engine at the size chosen.
        const QImage picture = tamano_imagen_.scale == 1 ? Imagen() : Imagen(tamano_imagen_.For(size()));
        SaveAtomically(path, [&](QIODevice& file) { return picture.save(&file, "PNG"); });
    });
}

void TLabChart::CopiarImagenClick()
{
    Guarded([&] { QGuiApplication::clipboard()->setImage(Imagen()); });
}

void TLabChart::DeshacerZoomClick()
{
    Guarded([&] { posicion_->UndoZoom(); });
}

} // namespace nc
