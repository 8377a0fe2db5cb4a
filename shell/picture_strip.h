// The picture strip under the tabs: "skin.bmp" (Image1) with two hatched
// shapes over it (Shape1 over the left, Shape2 over the rest).
#pragma once

#include <QString>

class ErrorHandler;
class QLabel;
class QWidget;

struct PictureStrip {
    QLabel* Image1 = nullptr;
    QWidget* Shape1 = nullptr;
    QWidget* Shape2 = nullptr;
};

// Builds the strip at the foot of the client area, empty.
PictureStrip makePictureStrip(QWidget* clientArea);

// Shows "skin.bmp" (data_files.h), or the file set for tests, in
// Image1. A missing, unreadable or non-bitmap file leaves the strip empty and
// goes to the error box.
void loadSkin(QLabel* image, ErrorHandler& errors);

// The picture shown instead of "skin.bmp" (tests); empty for the default.
void setSkinFile(const QString& path);
