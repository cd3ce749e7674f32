// SPDX-License-Identifier: MIT
#pragma once
// The few controls the windows need beyond Qt's own: a button that reports
// pointer movement and shows its tooltip only while enabled, a lowered bevel,
// an image with an off-screen surface, a free-standing up-down, a read-only
// read-out that shows its whole text, and a status bar of fixed-width text
// panels; the key guards a window installs on its controls, the keyboard's
// way to a window's menu, and a Tab order that follows the layouts.
//
// Pointer movement: the window writes its message panel from the movement the
// buttons report and from its own background. Every other control keeps the
// movement to itself (Qt::WA_NoMousePropagation), and so does a disabled
// button, which lies on its bevel: moving over them leaves the panel as it is.

#include "chart/panel/Graphics.h" // DrawPixelPicture
#include "ui/common/Commands.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPoint>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace nc {

// Marks a control that keeps pointer movement from reaching the window.
void KeepPointerMoves(QWidget* control);

// The pictures are compiled into this library; a static library must register
// them before the first use.
void LoadPictures();

// The layout's fonts at their pixel heights, with the metric twins as fallbacks.
// Glyph advances are not hinted, so the texts keep the widths the layout sizes
// its labels for.
QFont LayoutFont(const char* family, const char* twin, int pixels);

class TButton : public QPushButton {
    Q_OBJECT
public:
    TButton(const QString& text, QWidget* parent);

signals:
    void MouseMove();

protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

class TBevel : public QFrame {
public:
    explicit TBevel(QWidget* parent);
};

// Shows its picture unscaled at the top-left corner, clipped to the control.
// Surface() is the picture to draw on: a bitmap of the control's size, created
// at the first use. The picture keeps logical pixels at any device pixel
// ratio (DrawPixelPicture), so what the animation draws is exact.
class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    QImage& Surface();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(const UpDownRange& range, int position, QWidget* parent);
    int Position() const { return position_; }
    // Moves the position without a click: rounded to a whole number and held
    // within the range.
    void SetPosition(long double value);
    // Where a click steps from: the value this gives, when it gives one,
    // else the position (UpDownStep). Must not throw.
    std::function<std::optional<long double>()> Origin;
    // One arrow click; emits Click only when the position moves.
    void ClickArrow(bool up);
    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

signals:
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // the arrow keys click too

private:
    UpDownRange range_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

// A read-out: an edit box that looks like a label and that only the program
// writes. Its text can be selected and copied, never typed (no cursor, no
// "Cortar" or "Borrar" in its menu), and shows whole from its first
// character: where it is wider than the box, the font is narrowed just enough
// to fit, and otherwise it is the font as given.
class TReadout : public QLineEdit {
public:
    TReadout(const QFont& font, QWidget* parent);
    void ShowText(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();

    QFont font_; // at full width
};

// Keeps the window's accelerator keys (Alt and the letter after a button's
// "&") out of its edit boxes. An enabled button takes its key before any box
// sees it; a disabled button does not, and the box with the focus would type
// the letter. The guard swallows such a key in every edit box of the window,
// so it presses an enabled button and does nothing otherwise.
class AcceleratorGuard : public QObject {
public:
    // Watches the edit boxes the window holds now; owned by the window.
    explicit AcceleratorGuard(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

// Hands the keyboard's context-menu request to the window's own menu,
// wherever the focus is. On X11 the menu key reaches the focus widget as a
// context-menu event before it arrives as a key, and an edit box would answer
// it with its own menu. The mouse's requests pass: a right click on a box
// still opens the box's menu.
class KeyboardMenuGuard : public QObject {
public:
    // Watches every control of the window, also those added to it later (a
    // tab's panel); owned by the window.
    KeyboardMenuGuard(QWidget* window, std::function<void()> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void()> open_;
};

// The keyboard's way to a window's menu, the same in every window: the menu
// key and Shift+F10 as the window's shortcuts, and the guard above. `open`
// shows the menu. Returns the shortcuts' action, owned by the window.
QAction* AddKeyboardMenu(QWidget* window, std::function<void()> open);

// Sets Tab's order through the window to follow its layouts: a form row by
// row, a grid row by row, a box from its start, then into scroll areas,
// splitters and each tab's page in turn. A control added to a layout takes
// its place in the order when this runs again.
void TabOrderFromLayouts(QWidget* window);

class TStatusBar : public QWidget {
public:
    TStatusBar(const std::vector<std::pair<QString, int>>& panels, QWidget* parent);
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);

private:
    std::vector<QLabel*> panels_;
};

} // namespace nc
