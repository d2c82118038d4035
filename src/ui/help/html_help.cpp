#include "html_help.h"

#include "chm_archive.h"
#include "help_window.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <dlfcn.h>

#include <stdexcept>

namespace kivola {

namespace {

template <typename Function>
Function lookUp(void* library, const char* name)
{
    return reinterpret_cast<Function>(dlsym(library, name));
}

} // namespace

HtmlHelpControl::HtmlHelpControl(std::string libraryName) : libraryName_(std::move(libraryName)) {}

HtmlHelpControl::~HtmlHelpControl()
{
    ReleaseHtmlHelp();
}

QWidget* HtmlHelpControl::CallHtmlHelp(QWidget* window, const QString& file,
                                       std::uint32_t command, std::uint32_t data)
{
    if (!helpLibrary_) {
        void* library = dlopen(libraryName_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw std::runtime_error(kNotInstalledText);

        auto api = std::make_unique<ChmEntryPoints>();
        api->open = lookUp<decltype(api->open)>(library, "chm_open");
        api->close = lookUp<decltype(api->close)>(library, "chm_close");
        api->resolve = lookUp<decltype(api->resolve)>(library, "chm_resolve_object");
        api->retrieve = lookUp<decltype(api->retrieve)>(library, "chm_retrieve_object");
        if (!api->complete()) {
            // Unloaded again, so no later request or the release can reach a missing entry.
            dlclose(library);
            throw std::runtime_error(kEntryMissingText);
        }
        helpLibrary_ = library;
        api_ = std::move(api);
        HtmlHelp(nullptr, QString(), HH_INITIALIZE, 0);
    }
    return HtmlHelp(window, file, command, data);
}

void HtmlHelpControl::ReleaseHtmlHelp()
{
    if (!helpLibrary_)
        return;
    HtmlHelp(nullptr, QString(), HH_UNINITIALIZE, 0);
    api_.reset();
    dlclose(helpLibrary_);
    helpLibrary_ = nullptr;
}

QWidget* HtmlHelpControl::HtmlHelp(QWidget* window, const QString& file, std::uint32_t command,
                                   std::uint32_t /*data*/)
{
    switch (command) {
    case HH_DISPLAY_TOPIC:
        return displayTopic(window, file);
    case HH_UNINITIALIZE:
        // The window reads through the archive, and the archive through the library.
        window_.reset();
        archive_.reset();
        return nullptr;
    case HH_INITIALIZE:
    default:
        return nullptr;
    }
}

QWidget* HtmlHelpControl::displayTopic(QWidget* owner, const QString& file)
{
    const qsizetype separator = file.lastIndexOf(QLatin1String("::"));
    const QString chmFile = separator < 0 ? file : file.left(separator);
    const QString topic = separator < 0 ? QString() : file.mid(separator + 2);

    // A file that was missing is looked for again, so help works once it is in place.
    std::unique_ptr<ChmArchive> previous;
    if (!archive_ || !archive_->isOpen() || archive_->fileName() != chmFile) {
        previous = std::move(archive_);
        archive_ = std::make_unique<ChmArchive>(*api_, chmFile);
    }

    const bool firstShow = !window_;
    if (!window_)
        window_ = std::make_unique<HelpWindow>();
    QString shown = topic;
    if (shown.isEmpty())
        shown = archive_->defaultTopic();
    window_->showTopic(archive_.get(), shown.isEmpty() ? QStringLiteral("/") : shown);
    previous.reset();

    if (firstShow) {
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = window_->frameGeometry();
            frame.moveCenter(owner ? owner->frameGeometry().center()
                                   : screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_.get();
}

} // namespace kivola
