#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace kivola {

class ChmArchive;
class HelpWindow;
struct ChmEntryPoints;

// The help control: chmlib, loaded on the first help request with dlopen and released once
// when the main window goes away. Requests use the commands of the HTML help interface.
class HtmlHelpControl {
public:
    static constexpr std::uint32_t HH_DISPLAY_TOPIC = 0;
    static constexpr std::uint32_t HH_INITIALIZE = 28;
    static constexpr std::uint32_t HH_UNINITIALIZE = 29;

    static inline const std::string kDefaultLibrary = "libchm.so.1";
    static inline const char* const kNotInstalledText =
        "Help system not installed!\r HTMLHELP cannot displayed!";
    static inline const char* const kEntryMissingText = "Function HTMLHELP cannot loaded!";

    explicit HtmlHelpControl(std::string libraryName = kDefaultLibrary);
    ~HtmlHelpControl();
    HtmlHelpControl(const HtmlHelpControl&) = delete;
    HtmlHelpControl& operator=(const HtmlHelpControl&) = delete;

    // Loads the library on first use (std::runtime_error with kNotInstalledText or
    // kEntryMissingText when that fails; nothing stays loaded then, so the next request tries
    // again) and forwards one request. file is "<path of the .chm>::<topic>", e.g.
    // appPath + "rur.chm::/html/ziridugaishu.htm"; without "::<topic>" the file's own first
    // page is shown. HH_DISPLAY_TOPIC opens or raises the help
    // window on that topic and returns it; the other commands return null.
    QWidget* CallHtmlHelp(QWidget* window, const QString& file, std::uint32_t command,
                          std::uint32_t data);

    // Uninitialises (closes the help window and the help file) and unloads the library, once,
    // and only if it is loaded.
    void ReleaseHtmlHelp();

    void* helpLibrary() const { return helpLibrary_; }
    HelpWindow* helpWindow() const { return window_.get(); }
    const std::string& libraryName() const { return libraryName_; }
    void setLibraryName(std::string name) { libraryName_ = std::move(name); }

private:
    // The help entry point itself, built on the loaded chmlib functions.
    QWidget* HtmlHelp(QWidget* window, const QString& file, std::uint32_t command,
                      std::uint32_t data);
    QWidget* displayTopic(QWidget* owner, const QString& file);

    std::string libraryName_;
    void* helpLibrary_ = nullptr;
    std::unique_ptr<ChmEntryPoints> api_;
    std::unique_ptr<ChmArchive> archive_;
    std::unique_ptr<HelpWindow> window_;
};

} // namespace kivola
