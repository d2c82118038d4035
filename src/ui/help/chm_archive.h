#pragma once

#include <chm_lib.h>

#include <QByteArray>
#include <QString>

#include <optional>

namespace kivola {

// The chmlib entry points the help control takes from the library it loads at run time.
// Together they stand for the one help entry point of the help control.
struct ChmEntryPoints {
    decltype(&::chm_open) open = nullptr;
    decltype(&::chm_close) close = nullptr;
    decltype(&::chm_resolve_object) resolve = nullptr;
    decltype(&::chm_retrieve_object) retrieve = nullptr;

    bool complete() const { return open && close && resolve && retrieve; }
};

// One opened compiled help file, read through the loaded chmlib functions.
class ChmArchive {
public:
    // Objects larger than this are refused, so a damaged file cannot make us allocate wildly.
    static constexpr qint64 kMaxObjectSize = 16 * 1024 * 1024;

    ChmArchive(const ChmEntryPoints& api, const QString& fileName);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    const QString& fileName() const { return fileName_; }

    // path: an absolute path inside the archive, e.g. "/html/ziridugaishu.htm".
    std::optional<QByteArray> read(const QString& path) const;

    // The topic the help project named as its first page, e.g. "/html/ziridugaishu.htm";
    // empty if the file names none.
    QString defaultTopic() const;

private:
    ChmEntryPoints api_;
    QString fileName_;
    chmFile* file_ = nullptr;
};

// Finds the default topic in the bytes of a help file's "#SYSTEM" object: a 32-bit version,
// then records of a 16-bit code, a 16-bit length and that many bytes; code 2 holds the topic.
QString defaultTopicFromSystem(const QByteArray& system);

} // namespace kivola
