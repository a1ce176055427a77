#pragma once

#include <QIcon>
#include <QString>

// The images of the windows: built into the program, or taken from a resource bundle
// beside it (registered under BundleRoot()) when the bundle holds them.
class CAppResources {
public:
    CAppResources() = delete;

    // ":/res/NAME" when a bundle holds it, else the built-in ":/vzr/NAME".
    static QString Path(const QString& name);
    // The program's icon in every size there is.
    static QIcon AppIcon();
    // Where a bundle's files appear in the resource system.
    static QString BundleRoot();
};
