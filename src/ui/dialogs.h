#pragma once
// Message boxes and file dialogs of the main window, behind one seam so tests can answer them.

#include <QString>

class QWidget;

namespace kivola {

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual void showMessage(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Only Yes counts as consent.
    virtual bool askYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Empty when cancelled.
    virtual QString chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) = 0;
    virtual QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) = 0;
};

// Plain Qt message boxes without an icon and Qt file dialogs, all owned by the given window.
class QtDialogService final : public DialogService {
public:
    void showMessage(QWidget* owner, const QString& text, const QString& caption) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    QString chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) override;
    QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) override;
};

} // namespace kivola
