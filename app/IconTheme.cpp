#include "app/IconTheme.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace qv::app {

namespace {
const char* const ThemeRoot = "/usr/share/icons";
const char* const ThemeName = "Adwaita";

// The host's image names the add-in uses, and the theme's nearest meaning.
const QHash<QString, QString>& imageMap() {
    static const QHash<QString, QString> map = {
        {QStringLiteral("FileOpen"), QStringLiteral("document-open")},
        {QStringLiteral("FileOpenDatabase"), QStringLiteral("document-open")},
        {QStringLiteral("OpenDatabase"), QStringLiteral("document-open")},
        {QStringLiteral("FileClose"), QStringLiteral("window-close")},
        {QStringLiteral("FileCloseDatabase"), QStringLiteral("window-close")},
        {QStringLiteral("FileSave"), QStringLiteral("document-save")},
        {QStringLiteral("FileSaveAs"), QStringLiteral("document-save-as")},
        {QStringLiteral("GoToNewRecord"), QStringLiteral("list-add")},
        {QStringLiteral("RecordsAddNew"), QStringLiteral("list-add")},
        {QStringLiteral("DeleteRows"), QStringLiteral("list-remove")},
        {QStringLiteral("RecordsDeleteRecord"), QStringLiteral("list-remove")},
        {QStringLiteral("Delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("SaveRecord"), QStringLiteral("document-save")},
        {QStringLiteral("RecordsSaveRecord"), QStringLiteral("document-save")},
        {QStringLiteral("Refresh"), QStringLiteral("view-refresh")},
        {QStringLiteral("RefreshAll"), QStringLiteral("view-refresh")},
        {QStringLiteral("DataRefreshAll"), QStringLiteral("view-refresh")},
        {QStringLiteral("QueryShowTable"), QStringLiteral("view-list")},
        {QStringLiteral("CreateQueryFromWizard"), QStringLiteral("system-run")},
        {QStringLiteral("QueryBuilder"), QStringLiteral("system-run")},
        {QStringLiteral("SqlSpecificMenu"), QStringLiteral("system-run")},
        {QStringLiteral("FunctionsLogicalInsertGallery"), QStringLiteral("help-browser")},
        {QStringLiteral("Help"), QStringLiteral("help-browser")},
        {QStringLiteral("Info"), QStringLiteral("dialog-information")},
        {QStringLiteral("PropertySheet"), QStringLiteral("preferences-system")},
        {QStringLiteral("ControlsGallery"), QStringLiteral("preferences-system")},
        {QStringLiteral("AddInManager"), QStringLiteral("preferences-system")},
        {QStringLiteral("Filter"), QStringLiteral("view-filter")},
        {QStringLiteral("Copy"), QStringLiteral("edit-copy")},
        {QStringLiteral("Paste"), QStringLiteral("edit-paste")},
        {QStringLiteral("DatabaseOpen"), QStringLiteral("document-open")},
        {QStringLiteral("DatabaseClose"), QStringLiteral("window-close")},
    };
    return map;
}

QString fileInTheme(const QString& name) {
    // The theme ships its action icons as "<name>-symbolic.symbolic.png" bitmaps; Qt's own
    // lookup without an SVG reader does not find those, so they are looked up directly too.
    static const char* const sizes[] = {"24x24", "32x32", "16x16", "48x48"};
    static const char* const contexts[] = {"actions",    "status",  "apps",      "places", "legacy",
                                           "categories", "devices", "mimetypes", "ui"};
    for (const char* size : sizes)
        for (const char* context : contexts)
            for (const QString& file :
                 {name + QStringLiteral("-symbolic.symbolic.png"), name + QStringLiteral(".png")}) {
                const QString path = QStringLiteral("%1/%2/%3/%4/%5")
                                         .arg(QLatin1String(ThemeRoot), QLatin1String(ThemeName),
                                              QLatin1String(size), QLatin1String(context), file);
                if (QFile::exists(path)) return path;
            }
    return {};
}
} // namespace

void IconTheme::install() {
    QIcon::setThemeSearchPaths({QString::fromLatin1(ThemeRoot)});
    QIcon::setThemeName(QString::fromLatin1(ThemeName));
}

QString IconTheme::themeNameForImage(const QString& image) {
    if (image.isEmpty()) return {};
    // A getImage callback may answer a theme name itself.
    if (image.contains(QLatin1Char('-'))) return image;
    return imageMap().value(image);
}

QString IconTheme::themeNameForFaceId(int faceId) {
    switch (faceId) {
    case 18:
        return QStringLiteral("document-new");
    case 23:
        return QStringLiteral("document-open");
    case 3:
        return QStringLiteral("document-save");
    case 19:
        return QStringLiteral("edit-copy");
    case 22:
        return QStringLiteral("edit-paste");
    case 106: // close
    case 1088:
        return QStringLiteral("window-close");
    case 137:
        return QStringLiteral("list-add");
    case 478:
    case 293:
        return QStringLiteral("list-remove");
    case 459:
    case 1759:
        return QStringLiteral("view-refresh");
    case 49:
    case 984:
        return QStringLiteral("help-browser");
    case 487:
        return QStringLiteral("dialog-information");
    case 548:
    case 642:
        return QStringLiteral("preferences-system");
    case 2950:
        return QStringLiteral("system-run");
    default:
        return {};
    }
}

QIcon IconTheme::named(const QString& themeName) {
    if (themeName.isEmpty()) return {};
    QIcon icon = QIcon::fromTheme(themeName);
    if (!icon.isNull() && !icon.availableSizes().isEmpty()) return icon;
    const QString file = fileInTheme(themeName);
    return file.isEmpty() ? QIcon() : QIcon(file);
}

QIcon IconTheme::forImage(const QString& image) {
    return named(themeNameForImage(image));
}

QIcon IconTheme::forFaceId(int faceId) {
    return named(themeNameForFaceId(faceId));
}

} // namespace qv::app
