// The real boxes and file dialogs behind the window's dialog seam.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "dialogs.h"
#include "file_messages.h"

namespace kivola::test {
namespace {

// Runs act on the first modal dialog of type T that opens, while the caller's exec waits.
template <typename T> class OnModal {
public:
    explicit OnModal(std::function<void(T&)> act) : act_(std::move(act)) {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->isVisible()) {
                poll_.stop();
                act_(*dialog);
            }
        });
        poll_.start();
        // Whatever happens, no dialog is left open to hang the run.
        QTimer::singleShot(10000, &poll_, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
    }

private:
    std::function<void(T&)> act_;
    QTimer poll_;
};

TEST(RealDialogs, aBareNameTypedIntoTheSaveDialogMeansAGameFileInItsStartFolder) {
    QTemporaryDir games;
    ASSERT_TRUE(games.isValid());
    const QString before = QDir::currentPath();
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    QtDialogService dialogs;
    QString startedIn;
    const OnModal<QFileDialog> typeName([&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        dialog.selectFile(QStringLiteral("mygame"));
        static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
    });
    const QString chosen = dialogs.chooseSaveFile(nullptr, kGameFileFilter, kGameFileSuffix, games.path());
    QDir::setCurrent(before);
    EXPECT_EQ(startedIn, QDir(games.path()).absolutePath());
    EXPECT_EQ(chosen, QDir(games.path()).absoluteFilePath(QStringLiteral("mygame.rur")));
}

} // namespace
} // namespace kivola::test
