#include "chm_archive.h"

#include <QFile>

namespace kivola {

ChmArchive::ChmArchive(const ChmEntryPoints& api, const QString& fileName)
    : api_(api), fileName_(fileName)
{
    if (api_.complete() && !fileName.isEmpty())
        file_ = api_.open(QFile::encodeName(fileName).constData());
}

ChmArchive::~ChmArchive()
{
    if (file_)
        api_.close(file_);
}

std::optional<QByteArray> ChmArchive::read(const QString& path) const
{
    if (!file_ || !path.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const QByteArray name = path.toUtf8();
    if (name.size() > CHM_MAX_PATHLEN)
        return std::nullopt;

    chmUnitInfo unit{};
    if (api_.resolve(file_, name.constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (unit.length > static_cast<LONGUINT64>(kMaxObjectSize))
        return std::nullopt;

    const auto length = static_cast<LONGINT64>(unit.length);
    QByteArray data(static_cast<qsizetype>(length), Qt::Uninitialized);
    const LONGINT64 got = api_.retrieve(file_, &unit,
                                        reinterpret_cast<unsigned char*>(data.data()), 0, length);
    if (got != length)
        return std::nullopt;
    return data;
}

} // namespace kivola
