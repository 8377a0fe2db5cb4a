#include "shell/picture_strip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "shell/data_files.h"
#include "shell/error_handler.h"

namespace {

QString& skin_file_override() {
    static QString path;
    return path;
}

// A borderless shape whose hatching lets the picture underneath show through.
class HatchShape : public QWidget {
public:
    HatchShape(Qt::BrushStyle style, const QColor& color, QWidget* parent)
        : QWidget(parent), brush_(color, style) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), brush_);
    }

private:
    QBrush brush_;
};

}  // namespace

void setSkinFile(const QString& path) { skin_file_override() = path; }

PictureStrip makePictureStrip(QWidget* clientArea) {
    // 697 pixels wide, one more than the client area, so that its last column
    // is cut off as the window's edge cuts it.
    PictureStrip strip;
    strip.Image1 = new QLabel(clientArea);
    strip.Image1->setObjectName(QStringLiteral("Image1"));
    strip.Image1->setGeometry(0, 473, 697, 65);
    strip.Image1->setScaledContents(true);
    const QColor blue(0, 128, 255);
    strip.Shape1 = new HatchShape(Qt::BDiagPattern, blue, clientArea);
    strip.Shape1->setObjectName(QStringLiteral("Shape1"));
    strip.Shape1->setGeometry(0, 473, 337, 65);
    strip.Shape2 = new HatchShape(Qt::FDiagPattern, blue, clientArea);
    strip.Shape2->setObjectName(QStringLiteral("Shape2"));
    strip.Shape2->setGeometry(337, 473, 697 - 337, 65);
    return strip;
}

void loadSkin(QLabel* image, ErrorHandler& errors) {
    QString path = skin_file_override();
    if (path.isEmpty()) path = skinPath();
    path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile file(path);
    // Only a regular file: a FIFO of that name would keep the start waiting.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        errors.show(QStringLiteral("Cannot open file %1").arg(path));
        return;
    }
    const QImage picture = QImage::fromData(file.readAll(), "BMP");
    if (picture.isNull()) {
        errors.show(QStringLiteral("Bitmap image is not valid"));
        return;
    }
    image->setPixmap(QPixmap::fromImage(picture));
}
