#pragma once

#include <QString>

class QWidget;

namespace quill {

// The skin control of the main window: a Qt style sheet read from a skin file and applied to one window.
class Skin
{
public:
    // Option flags and switches the skin keeps; this skin has no optional behaviour, it only records them.
    enum Option { SkinMessageBoxes = 5, SkinChildWindows = 10 };

    // Loads the skin from `path`; `section` names a part of a multi-skin file (unused: one skin a file).
    // Throws Error when the file cannot be read.
    void load(const QString &path, const QString &section);
    // The option flags.
    quint32 options() const { return m_options; }
    // Replaces the option flags.
    void setOptions(quint32 options) { m_options = options; }
    // Switches a boolean option on or off.
    void setOption(Option option, bool on);
    // Whether a boolean option is on.
    bool option(Option option) const;
    // Applies the loaded skin to `window`. Throws Error when no skin is loaded.
    void apply(QWidget *window) const;

private:
    QString m_styleSheet;
    bool m_loaded = false;
    quint32 m_options = 0;
    quint32 m_switches = 0;
};

} // namespace quill
