// SPDX-License-Identifier: MIT
#include "ui/main/Ppal.h"

#include "locale/RegionalFormat.h"

#include "ui/main/ResponseChart.h"

#include "ui/common/Animacion.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/FileDialogs.h"
#include "ui/lab/LabMano.h"
#include "ui/lab/Laboratorio.h"
#include "ui/main/Main_splash.h"
#include "ui/common/ResponseFile.h"
#include "ui/common/ResponseHint.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace nc {
namespace {

QFont WindowFont()
{
    return LayoutFont("MS Sans Serif", "Liberation Sans", 11);
}

QFont ReadoutFont()
{
    return LayoutFont("Times New Roman", "Liberation Serif", 16);
}

void SetTextColour(QWidget* w, QColor colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

void SetBase(QWidget* w, QColor colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

QLabel* ReadoutLabel(const char* text, QRect geometry, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setFont(ReadoutFont());
    // Like any auto-sized label, it grows to its text where the stored width
    // is too narrow for the font at hand.
    geometry.setWidth(std::max(geometry.width(), label->sizeHint().width()));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColour(label, QColor(255, 0, 0));
    KeepPointerMoves(label);
    return label;
}

// A read-out on the window's ground. Each is widened from its stored width
// into the free space on its right, so that every value up to five integer
// digits with its decimals and a sign shows whole ("-12345.6789", 81 pixels
// in the read-out font): the velocity and the force have the room, the
// position and the time stop 3 pixels short of the next label and narrow
// their font for the widest texts (TReadout).
TReadout* Readout(QRect geometry, QWidget* parent)
{
    auto* readout = new TReadout(ReadoutFont(), parent);
    readout->setGeometry(geometry);
    readout->ShowText(QStringLiteral("0"));
    SetTextColour(readout, QColor(255, 0, 0));
    SetBase(readout, parent->palette().color(QPalette::Button));
    KeepPointerMoves(readout);
    return readout;
}

QLineEdit* InputEdit(const char* text, QRect geometry, QColor background, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setGeometry(geometry);
    edit->setTextMargins(0, 0, 0, 0);
    SetBase(edit, background);
    // Disabled during a run, the reference stays readable on its aqua ground:
    // grey text, not the style's pale one.
    QPalette p = edit->palette();
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    edit->setPalette(p);
    KeepPointerMoves(edit);
    return edit;
}

TButton* Button(const char* text, const char* tooltip, QRect geometry, QWidget* parent)
{
    auto* button = new TButton(QString::fromUtf8(text), parent);
    button->setGeometry(geometry);
    button->setToolTip(QString::fromUtf8(tooltip));
    return button;
}

} // namespace

TPpal::TPpal(QWidget* parent) : QWidget(parent), loop_(RegionalNumberFormat())
{
    LoadPictures();
    setWindowTitle(QStringLiteral("Control Neuronal de un brazo posicionador"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    setFont(WindowFont());
    setFixedSize(599, 453);
    setMouseTracking(true);
    CreateControls();
    CreateChartMenu();
    WireHandlers();
    new AcceleratorGuard(this);
    // Centred on the screen: the stored design position is not used.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    FormCreate();
}

void TPpal::CreateControls()
{
    // Creation order is stacking order: the bevels, labels and images first,
    // beneath every button, edit box and the chart.
    Bevel7 = new TBevel(this);
    Bevel7->setGeometry(507, 204, 79, 34);
    Bevel3 = new TBevel(this);
    Bevel3->setGeometry(506, 243, 80, 163);
    Label4 = ReadoutLabel("Posición º", QRect(17, 409, 60, 19), this);
    Label9 = ReadoutLabel("Tiempo", QRect(20, 181, 46, 19), this);
    Label10 = ReadoutLabel("Ref.", QRect(0, 2, 25, 19), this);
    Label5 = ReadoutLabel("Velocidad", QRect(142, 409, 62, 19), this);
    Label6 = ReadoutLabel("Fuerza ", QRect(135, 181, 45, 19), this);
    Image1 = new TImage(this);
    Image1->setGeometry(27, 3, 547, 172);
    Image1->SetPicture(QImage(QStringLiteral(":/pictures/banner.png")));
    Image3 = new TImage(this);
    Image3->setGeometry(282, 204, 220, 205);
    Label7 = ReadoutLabel("Vel. de simulación", QRect(299, 181, 110, 19), this);

    Button2 = Button("&Salir", "Salir del demo", QRect(519, 365, 55, 26), this);
    Button9 = Button("&Controlar", "Controlar", QRect(519, 293, 55, 25), this);
    Button11 = Button("Inicializar", "Inicializar el Perceptron", QRect(519, 257, 55, 25), this);
    StatusBar1 = new TStatusBar({{QStringLiteral("Mensajes"), 350}, {QStringLiteral("Hora"), 250}}, this);
    StatusBar1->setGeometry(0, 432, 599, 21);
    Edit2 = Readout(QRect(73, 182, 59, 17), this); // stored width 46, Label6 at 135
    Button1 = Button("Parar", "Parar Simulación", QRect(519, 329, 55, 26), this);
    Edit3 = Readout(QRect(81, 410, 58, 17), this);  // 52, Label5 at 142
    Edit4 = Readout(QRect(207, 410, 88, 17), this); // 61
    Edit6 = Readout(QRect(188, 182, 88, 17), this); // 66
    Edit7 = InputEdit("30", QRect(54, 13, 31, 21), QColor(0, 255, 255), this);
    Edit1 = InputEdit("5", QRect(420, 179, 61, 21), QColor(255, 255, 255), this);
    Button3 = Button("Limpiar", "Limpiar las gráficas", QRect(518, 208, 55, 26), this);
    Chart1 = new TChart(this);
    Chart1->setGeometry(17, 204, 257, 204);
    ConfigureResponseChart(*Chart1, Series1, Series2);
    Chart1->OnError = [](const std::exception& e) { ShowError(QString::fromUtf8(e.what())); };
    KeepPointerMoves(Chart1);
    UpDown1 = new TUpDown(UpDownRange{0, 360, 5}, 30, this);
    UpDown1->setGeometry(34, 3, 17, 36);
    Timer1 = new SimulationTimer(this);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    // Created last, so it lies above nothing: the corner below the commands
    // was free.
    Button4 = Button("&Laboratorio", "Abrir el laboratorio (Ctrl+L)", QRect(506, 409, 80, 21), this);

    // The status bar takes no input, so the pointer's movement over it goes to
    // the window itself.
    StatusBar1->setEnabled(false);
    StatusBar1->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QWidget* panel : StatusBar1->findChildren<QWidget*>())
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    Button9->setEnabled(false);
    Button1->setEnabled(false);

    const std::pair<QObject*, const char*> names[]
        = {{Bevel7, "Bevel7"},     {Bevel3, "Bevel3"},         {Label4, "Label4"},   {Label9, "Label9"},
           {Label10, "Label10"},   {Label5, "Label5"},         {Label6, "Label6"},   {Image1, "Image1"},
           {Image3, "Image3"},     {Label7, "Label7"},         {Button2, "Button2"}, {Button9, "Button9"},
           {Button11, "Button11"}, {StatusBar1, "StatusBar1"}, {Edit2, "Edit2"},     {Button1, "Button1"},
           {Edit3, "Edit3"},       {Edit4, "Edit4"},           {Edit6, "Edit6"},     {Edit7, "Edit7"},
           {Edit1, "Edit1"},       {Button3, "Button3"},       {Chart1, "Chart1"},   {UpDown1, "UpDown1"},
           {Timer1, "Timer1"},     {Timer2, "Timer2"},         {Button4, "Button4"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));

    StatusBar1->setFocusPolicy(Qt::NoFocus);
    QWidget* tab_order[]
        = {Button2, Button9, Button11, Edit2, Button1, Edit3, Edit4, Edit6, Edit7, Edit1, Button3, Chart1, UpDown1};
    // The keyboard reaches the laboratory by Ctrl+L and Alt+L; the Tab cycle
    // stays the window's own.
    Button4->setFocusPolicy(Qt::NoFocus);
    for (std::size_t i = 0; i + 1 < std::size(tab_order); ++i)
        QWidget::setTabOrder(tab_order[i], tab_order[i + 1]);
}

void TPpal::CreateChartMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    GuardarDatos1 = PopupMenu1->addAction(QStringLiteral("Guardar datos…"));
    GuardarImagen1 = PopupMenu1->addAction(QStringLiteral("Guardar imagen…"));
    CopiarImagen1 = PopupMenu1->addAction(QStringLiteral("Copiar imagen"));
    PopupMenu1->addSeparator();
    DeshacerZoom1 = PopupMenu1->addAction(QStringLiteral("Deshacer zoom"));
    PopupMenu1->addSeparator();
    Laboratorio1 = PopupMenu1->addAction(QStringLiteral("Laboratorio…"));
    Laboratorio1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    Laboratorio1->setShortcutContext(Qt::WindowShortcut);
    addAction(Laboratorio1);
    // Ctrl+S works in the whole window, menu open or not.
    GuardarDatos1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    GuardarDatos1->setShortcutContext(Qt::WindowShortcut);
    addAction(GuardarDatos1);
    carpeta_guardado_ = QDir::currentPath();
    AskSaveFileName = [this](const QString& title, const QString& suggested, const QString& filter) {
        if (filter == QLatin1String(kPictureFilter))
            return AskSavePictureWithQtDialog(this, title, suggested, filter, Chart1->size(), tamano_imagen_);
        return AskSaveWithQtDialog(this, title, suggested, filter);
    };
}

void TPpal::WireHandlers()
{
    // Each handler guards its own body: no exception reaches Qt.
    connect(Button11, &QPushButton::clicked, this, &TPpal::Button11Click);
    connect(Button9, &QPushButton::clicked, this, &TPpal::Button9Click);
    connect(Button1, &QPushButton::clicked, this, &TPpal::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TPpal::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TPpal::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TPpal::Button4Click);
    // The arm can be dragged once the network is built; the first drag hands
    // the run to the laboratory, which holds the hand.
    new ManoArrastre(Image3,
                     {[this] { return loop_.HasNetwork(); }, [this] { return PosicionGrados(); },
                      [this](double g) { CrearLaboratorio().Lab().Agarrar(g); },
                      [this] {
                          if (laboratorio_)
                              laboratorio_->Lab().Soltar();
                      }});
    connect(Laboratorio1, &QAction::triggered, this, &TPpal::Button4Click);
    connect(UpDown1, &TUpDown::Click, this, &TPpal::UpDown1Click);
    // The arrows step from the number in the box, typed or written by them,
    // so a click moves the reference by at most one step from what it shows.
    UpDown1->Origin = [this] { return ReferenceNumber(); };
    connect(Edit7, &QLineEdit::textChanged, this, &TPpal::Edit7Change);
    connect(Timer1->Timer(), &QTimer::timeout, this, &TPpal::Timer1Due);
    connect(Timer2, &QTimer::timeout, this, &TPpal::Timer2Timer);
    Chart1->OnContextPopup = [this](int x, int y) { Chart1ContextPopup(x, y); };
    Chart1->OnHint = [this](int x, int y) { return ResponseHint(*Chart1, *Series1, *Series2, x, y, loop_.Format()); };
    connect(GuardarDatos1, &QAction::triggered, this, &TPpal::GuardarDatosClick);
    connect(GuardarImagen1, &QAction::triggered, this, &TPpal::GuardarImagenClick);
    connect(CopiarImagen1, &QAction::triggered, this, &TPpal::CopiarImagenClick);
    connect(DeshacerZoom1, &QAction::triggered, this, &TPpal::DeshacerZoomClick);
    // The keyboard opens the menu from anywhere in the window, at the chart
    // (AddKeyboardMenu). With the menu open the keys go to the menu, and
    // Escape closes it.
    AbrirMenu1 = AddKeyboardMenu(this, [this] { Chart1ContextPopup(Chart1->width() / 2, Chart1->height() / 2); });

    connect(Button11, &TButton::MouseMove, this, &TPpal::Button11MouseMove);
    connect(Button9, &TButton::MouseMove, this, &TPpal::Button9MouseMove);
    connect(Button1, &TButton::MouseMove, this, &TPpal::Button1MouseMove);
    connect(Button3, &TButton::MouseMove, this, &TPpal::Button3MouseMove);
    connect(Button2, &TButton::MouseMove, this, &TPpal::Button2MouseMove);
    connect(Button4, &TButton::MouseMove, this, &TPpal::Button4MouseMove);
    Timer2->start();
}

void TPpal::FormCreate()
{
    Guarded([&] {
        // The loop starts with the arm at rest: angle 90.
        Dibujar_brazo(loop_.angulo_animacion());
    });
}

void TPpal::FormActivate()
{
    Guarded([&] {
        if (!primera_activacion_)
            return;
        primera_activacion_ = false;
        if (splash_)
            splash_->ShowModal();
        // As the user would: each press does what its handler allows.
        if (iniciar_tras_splash_) {
            Button11->click();
            Button9->click();
        }
    });
}

void TPpal::FormMouseMove()
{
    Guarded([&] { ShowMessage(kMensajeFondo); });
}

void TPpal::Button11MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeInicializar); });
}

void TPpal::Button9MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeControlar); });
}

void TPpal::Button1MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeParar); });
}

void TPpal::Button3MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeLimpiar); });
}

void TPpal::Button2MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeSalir); });
}

void TPpal::Button4MouseMove()
{
    Guarded([&] { ShowMessage(kMensajeLaboratorio); });
}

void TPpal::ShowMessage(const char* text)
{
    StatusBar1->SetPanelText(0, QString::fromUtf8(text));
}

void TPpal::SetRunning(bool running)
{
    Button1->setEnabled(running);
    Button9->setEnabled(!running);
    Button11->setEnabled(!running);
    Button2->setEnabled(!running);
    Button3->setEnabled(!running);
    Edit7->setEnabled(!running);
}

void TPpal::Button11Click()
{
    Guarded([&] {
        loop_.Inicializar(*this);
        Button9->setEnabled(true);
        LaboratorioAlInicio();
    });
}

void TPpal::Button9Click()
{
    Guarded([&] {
        // The interval is worked out first, so a bad speed changes nothing.
        const uint32_t interval = IntervalFromSpeedText(Edit1->text().toStdString());
        Timer1->SetInterval(interval);
        Timer1->SetEnabled(true);
        SetRunning(true);
    });
}

void TPpal::Button1Click()
{
    Guarded([&] {
        Timer1->SetEnabled(false);
        SetRunning(false);
    });
}

void TPpal::Button3Click()
{
    Guarded([&] {
        loop_.Limpiar();
        Series1->ClearPoints();
        Series2->ClearPoints();
        Dibujar_brazo(loop_.angulo_animacion());
        LaboratorioAlInicio();
    });
}

void TPpal::Button2Click()
{
    Guarded([&] { close(); });
}

void TPpal::UpDown1Click()
{
    Guarded([&] { Edit7->setText(QString::number(UpDown1->Position())); });
}

void TPpal::Edit7Change()
{
    Guarded([&] {
        if (const std::optional<long double> grados = ReferenceNumber())
            UpDown1->SetPosition(*grados);
    });
}

std::optional<long double> TPpal::ReferenceNumber() const
{
    try {
        return StrToFloat(Edit7->text().toStdString(), loop_.Format());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void TPpal::Timer1Timer()
{
    Guarded([&] { Paso(); });
}

void TPpal::Paso()
{
    if (lab_conduce_)
        PasoLaboratorio();
    else
        loop_.Paso(Edit7->text().toStdString(), *this);
}

void TPpal::Button4Click()
{
    Guarded([&] {
        TLaboratorio& lab = CrearLaboratorio();
        lab.show();
        lab.raise();
        lab.activateWindow();
    });
}

// A tick that fails stops the run before its message is shown, once: with
// the loop left running, every later tick would fail the same way and the
// next box would open as soon as the last one closed, leaving the user no
// moment to press "Parar". The failed tick changed nothing, so "&Controlar"
// goes on from where the run stood once the cause is mended.
void TPpal::Timer1Due()
{
    Guarded([&] {
        for (int owed = Timer1->TakeDueTicks(); owed > 0 && Timer1->Enabled(); --owed) {
            try {
                Paso();
            } catch (...) {
                Timer1->SetEnabled(false);
                SetRunning(false);
                throw;
            }
        }
    });
}

void TPpal::Timer2Timer()
{
    Guarded([&] { StatusBar1->SetPanelText(1, ClockText(QTime::currentTime(), QLocale::system())); });
}

// The menu opens without a loop of its own (popup, not exec), so the run goes
// on while it is open.
void TPpal::Chart1ContextPopup(int x, int y)
{
    Guarded([&] {
        DeshacerZoom1->setEnabled(!Chart1->NothingSaved());
        PopupMenu1->popup(Chart1->mapToGlobal(QPoint(x, y)));
    });
}

QString TPpal::AskPath(const QString& title, const QString& name, const QString& filter)
{
    const QString path = AskSaveFileName(title, QDir(carpeta_guardado_).filePath(name), filter);
    if (!path.isEmpty())
        carpeta_guardado_ = QFileInfo(path).absolutePath();
    return path;
}

QImage TPpal::ChartPicture() const
{
    return Chart1->grab().toImage();
}

// The points plotted when the dialog closes: during a run, those so far.
void TPpal::GuardarDatosClick()
{
    Guarded([&] {
        const QString path = AskPath(QStringLiteral("Guardar datos"), QStringLiteral("respuesta.tsv"),
                                     QStringLiteral("Datos separados por tabuladores (*.tsv)"));
        if (path.isEmpty())
            return;
        const std::string text = ResponseTsv(*Series1, *Series2);
        SaveAtomically(path, [&](QIODevice& file) {
            return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
        });
    });
}

void TPpal::GuardarImagenClick()
{
    Guarded([&] {
        const QString path = AskPath(QStringLiteral("Guardar imagen"), QStringLiteral("respuesta.png"),
                                     QString::fromLatin1(kPictureFilter));
        if (path.isEmpty())
            return;
        // As on screen, or drawn again by the engine at the size chosen.
        const QSize size = tamano_imagen_.For(Chart1->size());
        const QImage picture
            = tamano_imagen_.scale == 1 ? ChartPicture() : Chart1->DrawPicture(size.width(), size.height());
        SaveAtomically(path, [&](QIODevice& file) { return picture.save(&file, "PNG"); });
    });
}

void TPpal::CopiarImagenClick()
{
    Guarded([&] { QGuiApplication::clipboard()->setImage(ChartPicture()); });
}

// The same as dragging a box back: the axes follow the data again.
void TPpal::DeshacerZoomClick()
{
    Guarded([&] { Chart1->UndoZoom(); });
}

void TPpal::SetPositionText(const std::string& text)
{
    Edit3->ShowText(QString::fromStdString(text));
}

void TPpal::SetVelocityText(const std::string& text)
{
    Edit4->ShowText(QString::fromStdString(text));
}

// One point per series and sample: the position, and the reference as the box
// reads now (the tick converted the same text a moment ago, so this cannot
// fail). The points only invalidate the chart; it redraws at its next paint.
// The velocity is handed over too but not plotted.
void TPpal::Dibujar_graficas(int32_t muestra, float posicion_grados, float)
{
    constexpr TColor kRojo = 0x0000FF;
    Series1->AddPoint(muestra, posicion_grados, {}, kRojo);
    const long double referencia = StrToFloat(Edit7->text().toStdString(), loop_.Format());
    Series2->AddPoint(muestra, static_cast<double>(referencia), {}, kRojo);
}

void TPpal::SetForceText(const std::string& text)
{
    Edit6->ShowText(QString::fromStdString(text));
}

void TPpal::SetTimeText(const std::string& text)
{
    Edit2->ShowText(QString::fromStdString(text));
}

void TPpal::Dibujar_brazo(double angulo_animacion)
{
    ImageCanvas canvas(Image3->Surface());
    nc::Dibujar_brazo(canvas, angulo_animacion);
    Image3->update();
}

void TPpal::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The handler may show the splash modally; it runs once this activation
    // has been handled, so the nested event loop does not start inside it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
}

void TPpal::mouseMoveEvent(QMouseEvent* event)
{
    FormMouseMove();
    QWidget::mouseMoveEvent(event);
}

} // namespace nc
