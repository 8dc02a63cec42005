#pragma once

// Interface files: Qt Designer files in the application bundle's resources,
// loaded at run time by name ("About" is About.ui). Widgets carry the names
// of the fields they connect to; every text in the file is an English key of
// the application's string table and is shown translated.

#include <QString>

class QWidget;
class VelBundle;

// The file's top widget, with the given parent; none when the file is missing
// or cannot be read. Without a bundle, the application's own.
[[nodiscard]] QWidget *VelLoadInterfaceFile(const QString &name, QWidget *parent);
[[nodiscard]] QWidget *VelLoadInterfaceFile(const VelBundle &bundle, const QString &name, QWidget *parent);

// Translates the texts of the widget, its children and their actions in place.
void VelLocalizeInterface(QWidget *root);
