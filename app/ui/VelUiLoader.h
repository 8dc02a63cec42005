#pragma once

// The loader of interface files: Qt's own loader, which also creates the
// application's own widget classes when a file names them, and wakes the
// widgets that connect themselves (VelAwakeFromNib) once the whole file is
// loaded.

#include <QUiLoader>

class VelUiLoader : public QUiLoader {
    Q_OBJECT

public:
    using QUiLoader::QUiLoader;

    // The widget classes of this application that interface files may name.
    [[nodiscard]] static QStringList customWidgetClasses();

    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override;

    // Loads the file and wakes its widgets; none when it cannot be read.
    QWidget *loadAndAwake(QIODevice *device, QWidget *parent);
};
