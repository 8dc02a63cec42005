#pragma once

// The inspector sheet's window. Typing in its key-equivalent field captures a
// shortcut instead of editing text: every key press replaces the field's
// content, and the window turns what was typed into the shortcut's
// description and remembers the key itself.

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <optional>

class VelInspectorWindow : public QDialog {
    Q_OBJECT

public:
    explicit VelInspectorWindow(QWidget *parent = nullptr);

    // The sheet's fields and buttons, loaded from an interface file; the
    // window shows them and takes their window title.
    void setContent(QWidget *content);

    // The field whose edits the window follows; only this one.
    void setKeyEquivalentTextField(QLineEdit *field);
    [[nodiscard]] QLineEdit *keyEquivalentTextField() const { return m_keyEquivalentTextField; }

    // One character, or none for no shortcut.
    void setKeyEquivalent(const std::optional<QString> &key) { m_keyEquivalent = key; }
    [[nodiscard]] const std::optional<QString> &keyEquivalent() const { return m_keyEquivalent; }

    // After each edit of the key field: one character becomes the shortcut
    // ("c" command-C, "C" shift-command-C); anything else (an emptied field,
    // a pasted word) removes it and empties the field.
    void controlTextDidChange();

protected:
    // Selects the key field's whole text before a key press reaches it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QLineEdit> m_keyEquivalentTextField;
    std::optional<QString> m_keyEquivalent;
};
