// SPDX-License-Identifier: MIT
#pragma once
// The file dialogs every window uses: Qt's own, not the desktop's, so that
// their texts come from Qt's Spanish catalogue like the rest of the
// program's. Each returns the chosen path, or an empty string when the user
// cancelled.

#include <QSize>
#include <QString>

class QWidget;

namespace nc {

// The filter of a picture's save: its dialog offers the picture's size.
inline constexpr const char* kPictureFilter = "Imagen PNG (*.png)";

// The size a picture is saved at: the chart's size on screen times `scale`
// (1, 2 or 4), or, with scale 0, `size` itself.
struct PictureSize {
    int scale = 1;
    QSize size{1600, 900};
    QSize For(QSize shown) const { return scale > 0 ? shown * scale : size; }
};

// Asks before replacing a file; the suggested name's suffix is added to a
// name typed without one.
QString AskSaveWithQtDialog(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);
// The same with a row more under the dialog's own: the picture's size, the
// sizes offered worked out from `shown`, the chart's size on screen. The
// choice is written to `size` when the user saves.
QString AskSavePictureWithQtDialog(QWidget* parent, const QString& title, const QString& suggested,
                                   const QString& filter, QSize shown, PictureSize& size);
// An existing file only.
QString AskOpenWithQtDialog(QWidget* parent, const QString& title, const QString& filter);

} // namespace nc
