#pragma once
// The platform's painted glyphs, in one place: the painting of a picture at
// every device pixel ratio a screen may have, and the pictures of the data
// grid's record indicator, the navigator's buttons, the OK and Abbrechen
// buttons and the row buttons of a grid of definitions. Every picture is drawn
// in device-independent coordinates, so that a screen of ratio 2 gets one
// painted for its own pixels rather than a blown-up one.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <functional>

#include "platform/dataset/field_types.h"
#include "platform/ui/db_navigator.h"

class QPainter;

// The device pixel ratios at which the platform paints its glyphs, so that a
// screen of any of them shows a picture drawn for its own pixels.
inline constexpr qreal kGlyphPixelRatios[] = {1.0, 2.0, 3.0};

// A transparent picture of size device-independent pixels at the given device
// pixel ratio; paint draws in device-independent coordinates.
QPixmap PaintGlyph(QSize size, qreal ratio, const std::function<void(QPainter&)>& paint);
// An icon holding the picture painted at every ratio of kGlyphPixelRatios;
// with paintDisabled also the disabled picture at every ratio.
QIcon PaintedIcon(QSize size, const std::function<void(QPainter&)>& paint,
                  const std::function<void(QPainter&)>& paintDisabled = {});

// The data grid's indicator of the current record, centred in r: a pencil
// while the record is edited, an asterisk while it is inserted, a triangle
// pointing at it otherwise.
void DrawRecordIndicator(QPainter& p, const QRect& r, TDataSetState state);

// The navigator's button pictures: kNavigatorGlyphSize pixels square.
inline constexpr int kNavigatorGlyphSize = 16;
// One button's picture in ink; accent colours the check mark of Post (and,
// where it differs from ink, Cancel's cross is red).
void DrawNavigatorGlyph(QPainter& p, TNavigateBtn b, const QColor& ink, const QColor& accent);
// The enabled picture, and the disabled one: a light outline offset by one
// pixel under a grey one; both painted at every ratio a screen may have.
QIcon NavigatorGlyph(TNavigateBtn b);

// The pictures of the OK button (a green check mark) and of the Abbrechen
// button (a red cross), kButtonGlyphSize pixels, at every ratio.
inline constexpr QSize kButtonGlyphSize(16, 16);
QIcon CheckMarkGlyph();
QIcon CrossGlyph();

// The row buttons of a grid of definitions: move the row up, insert a row,
// delete the row, move the row down.
enum class TRowGlyph { Up, Insert, Delete, Down };
// The 16 x 16 pictures on a transparent background; the disabled picture
// draws the same shapes in grey.
inline constexpr QSize kRowGlyphSize(16, 16);
void DrawRowGlyph(QPainter& p, TRowGlyph kind, bool enabled);
