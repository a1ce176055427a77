#include "CAppResources.h"

#include <QFileInfo>

// the built-in images live in a static library: their registration is pulled in by name
static void initBuiltInResources() {
    Q_INIT_RESOURCE(vzr_t8100);
}

QString CAppResources::BundleRoot() {
    return QStringLiteral("/res");
}

QString CAppResources::Path(const QString& name) {
    static const bool builtIn = (initBuiltInResources(), true);
    Q_UNUSED(builtIn);
    const QString fromBundle = QLatin1Char(':') + BundleRoot() + QLatin1Char('/') + name;
    if (QFileInfo::exists(fromBundle))
        return fromBundle;
    return QStringLiteral(":/vzr/") + name;
}

QIcon CAppResources::AppIcon() {
    QIcon icon;
    for (const char* size : {"16", "32", "48", "128"})
        icon.addFile(Path(QStringLiteral("icons/vzr-t8100-%1.png").arg(QLatin1String(size))));
    return icon;
}
