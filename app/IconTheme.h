// Icons for the ribbon's image names (imageMso or what getImage answers) and the menu's face
// ids, taken from the Adwaita theme. The theme's search path and name are set explicitly, so the
// same icons show on a desktop, under Xvfb and offscreen.
#pragma once

#include <QIcon>
#include <QString>

namespace qv::app {

class IconTheme {
  public:
    // Once per process, after the QApplication exists.
    static void install();
    // The theme name an image name maps to; empty when there is none.
    static QString themeNameForImage(const QString& image);
    static QString themeNameForFaceId(int faceId);
    static QIcon forImage(const QString& image);
    static QIcon forFaceId(int faceId);
    static QIcon named(const QString& themeName);
};

} // namespace qv::app
