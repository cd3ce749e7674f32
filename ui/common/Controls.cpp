// SPDX-License-Identifier: MIT
#include "ui/common/Controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFormLayout>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <utility>

static void InitPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace nc {

void LoadPictures()
{
    static const bool loaded = (InitPictures(), true);
    (void)loaded;
}

QFont LayoutFont(const char* family, const char* twin, int pixels)
{
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QString::fromLatin1(twin)});
    font.setPixelSize(pixels);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void KeepPointerMoves(QWidget* control)
{
    control->setAttribute(Qt::WA_NoMousePropagation);
}

TButton::TButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setMouseTracking(true);
    KeepPointerMoves(this);
}

bool TButton::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && !isEnabled()) {
        QToolTip::hideText();
        e->accept();
        return true;
    }
    return QPushButton::event(e);
}

void TButton::mouseMoveEvent(QMouseEvent* e)
{
    emit MouseMove();
    QPushButton::mouseMoveEvent(e);
}

TBevel::TBevel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
    KeepPointerMoves(this);
}

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    KeepPointerMoves(this);
}

void TImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

QImage& TImage::Surface()
{
    if (picture_.size() != size() || picture_.format() != QImage::Format_RGB32) {
        picture_ = QImage(size(), QImage::Format_RGB32);
        picture_.fill(Qt::white);
    }
    return picture_;
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    DrawPixelPicture(painter, QPoint(0, 0), picture_);
}

TUpDown::TUpDown(const UpDownRange& range, int position, QWidget* parent)
    : QWidget(parent), range_(range), position_(position), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    KeepPointerMoves(this);
    setFocusPolicy(Qt::TabFocus);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        KeepPointerMoves(arrow);
    }
    connect(up_, &QToolButton::clicked, this, [this] { ClickArrow(true); });
    connect(down_, &QToolButton::clicked, this, [this] { ClickArrow(false); });
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void TUpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        ClickArrow(event->key() == Qt::Key_Up);
    else
        QWidget::keyPressEvent(event);
}

void TUpDown::SetPosition(long double value)
{
    const long double held
        = std::clamp(value, static_cast<long double>(range_.minimum), static_cast<long double>(range_.maximum));
    position_ = static_cast<int>(std::nearbyint(held));
}

void TUpDown::ClickArrow(bool up)
{
    const std::optional<long double> origin = Origin ? Origin() : std::nullopt;
    if (const std::optional<int> next = UpDownStep(origin.value_or(position_), up, range_)) {
        position_ = *next;
        emit Click();
    }
}

TReadout::TReadout(const QFont& font, QWidget* parent) : QLineEdit(parent), font_(font)
{
    setReadOnly(true);
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFont(font_);
    connect(this, &QLineEdit::textChanged, this, [this] { Fit(); });
    Fit();
}

void TReadout::ShowText(const QString& text)
{
    setText(text);
    setCursorPosition(0);
}

void TReadout::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    Fit();
}

// A line edit lays its text out between an inner margin of 2 pixels at each
// edge, widened by the font's largest overhang on that side, and scrolls the
// text once it and a pixel for the cursor no longer fit. The right side's
// space is given back to the text (digits, signs and separators do not
// overhang), so the text may reach the box's right edge; the left one keeps
// the text where a plain edit box starts it.
void TReadout::Fit()
{
    constexpr int kInnerMargin = 2;
    constexpr int kNarrowest = 50; // a stretch in percent; beyond it the text is clipped
    struct Layout {
        int room;         // for the text and the cursor
        int right_margin; // gives the right side's space back
        qreal text;       // the text's width
    };
    auto layout = [&](const QFont& font) {
        const QFontMetrics metrics(font);
        return Layout{width() - kInnerMargin - std::max(0, -metrics.minLeftBearing()),
                      -(kInnerMargin + std::max(0, -metrics.minRightBearing())),
                      QFontMetricsF(font).horizontalAdvance(text())};
    };
    auto fits = [](const Layout& l) { return qRound(l.text) + 1 <= l.room; };
    QFont font = font_;
    Layout l = layout(font);
    if (!fits(l) && l.text > 0) {
        // A stretch narrows every glyph in proportion: start from the
        // proportional one and step down until the text fits.
        int stretch = std::clamp(static_cast<int>(100 * (l.room - 1) / l.text), kNarrowest, 99);
        for (;; --stretch) {
            font.setStretch(stretch);
            l = layout(font);
            if (fits(l) || stretch == kNarrowest)
                break;
        }
    }
    if (this->font() != font)
        setFont(font);
    setTextMargins(0, 0, l.right_margin, 0);
}

AcceleratorGuard::AcceleratorGuard(QWidget* window) : QObject(window), window_(window)
{
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
}

bool AcceleratorGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    for (const QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
        const QKeySequence accelerator = button->shortcut();
        if (!accelerator.isEmpty() && accelerator[0].key() == key->key()
            && (accelerator[0].keyboardModifiers() & Qt::AltModifier))
            return true;
    }
    return false;
}

// The guard watches the application: the window's panels may be added after
// it is made, and the test below costs one comparison for any other event.
KeyboardMenuGuard::KeyboardMenuGuard(QWidget* window, std::function<void()> open)
    : QObject(window), window_(window), open_(std::move(open))
{
    qApp->installEventFilter(this);
}

bool KeyboardMenuGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu
        || static_cast<const QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard
        || !watched->isWidgetType()
        || static_cast<QWidget*>(watched)->window() != window_) // not the menus, windows of their own
        return QObject::eventFilter(watched, event);
    open_();
    return true;
}

QAction* AddKeyboardMenu(QWidget* window, std::function<void()> open)
{
    auto* action = new QAction(window);
    action->setShortcuts({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)});
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    QObject::connect(action, &QAction::triggered, window, open);
    new KeyboardMenuGuard(window, std::move(open));
    return action;
}

namespace {

void CollectTabStops(QWidget* widget, std::vector<QWidget*>& stops);

void CollectTabStops(QLayoutItem* item, std::vector<QWidget*>& stops);

void CollectTabStops(QLayout* layout, std::vector<QWidget*>& stops)
{
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            for (QFormLayout::ItemRole role :
                 {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole})
                if (QLayoutItem* item = form->itemAt(row, role))
                    CollectTabStops(item, stops);
        return;
    }
    std::vector<std::pair<QPoint, QLayoutItem*>> items; // (row, column) in a grid, (0, index) in a box
    auto* grid = qobject_cast<QGridLayout*>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        QPoint at(0, i);
        if (grid) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            at = QPoint(row, column);
        }
        items.emplace_back(at, layout->itemAt(i));
    }
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return std::pair(a.first.x(), a.first.y()) < std::pair(b.first.x(), b.first.y());
    });
    for (const auto& item : items)
        CollectTabStops(item.second, stops);
}

void CollectTabStops(QLayoutItem* item, std::vector<QWidget*>& stops)
{
    if (QWidget* w = item->widget())
        CollectTabStops(w, stops);
    else if (QLayout* l = item->layout())
        CollectTabStops(l, stops);
}

void CollectTabStops(QWidget* widget, std::vector<QWidget*>& stops)
{
    if (widget->isWindow())
        return;
    if (widget->focusPolicy() & Qt::TabFocus)
        stops.push_back(widget);
    // The containers whose children no layout holds.
    if (auto* scroll = qobject_cast<QScrollArea*>(widget)) {
        if (scroll->widget())
            CollectTabStops(scroll->widget(), stops);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        if (auto* bar = tabs->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly))
            stops.push_back(bar);
        for (int i = 0; i < tabs->count(); ++i)
            CollectTabStops(tabs->widget(i), stops);
    } else if (auto* splitter = qobject_cast<QSplitter*>(widget)) {
        for (int i = 0; i < splitter->count(); ++i)
            CollectTabStops(splitter->widget(i), stops);
    } else if (widget->layout()) {
        CollectTabStops(widget->layout(), stops);
    }
}

} // namespace

void TabOrderFromLayouts(QWidget* window)
{
    std::vector<QWidget*> stops;
    if (window->layout())
        CollectTabStops(window->layout(), stops);
    for (std::size_t i = 0; i + 1 < stops.size(); ++i)
        QWidget::setTabOrder(stops[i], stops[i + 1]);
}

TStatusBar::TStatusBar(const std::vector<std::pair<QString, int>>& panels, QWidget* parent) : QWidget(parent)
{
    int left = 0;
    for (const auto& [text, width] : panels) {
        auto* panel = new QLabel(text, this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        panel->setIndent(2);
        // A disabled status bar still shows its texts as they are.
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText,
                         palette.color(QPalette::Active, QPalette::WindowText));
        panel->setPalette(palette);
        panel->setGeometry(left, 2, width - 2, 19);
        panels_.push_back(panel);
        left += width;
    }
}

QString TStatusBar::PanelText(int index) const
{
    return panels_.at(static_cast<std::size_t>(index))->text();
}

void TStatusBar::SetPanelText(int index, const QString& text)
{
    panels_.at(static_cast<std::size_t>(index))->setText(text);
}

} // namespace nc
