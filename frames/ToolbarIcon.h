#pragma once

#include <QIcon>
#include <QImage>

// A toolbar or menu icon drawn from its picture, whose disabled look is made here: grey and
// faint against the bar, whatever colours the picture uses. (The style's own disabled look
// keeps a dark picture dark.)
QIcon ToolbarIcon(const QString& resource);

// The disabled look of an image: each pixel grey, a third as far from the background as
// its brightness was.
QImage Faded(const QImage& image, const QColor& background);
