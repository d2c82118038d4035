#include "chm_archive.h"

#include <QFile>
#include <QtEndian>

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

QString ChmArchive::defaultTopic() const
{
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    return system ? defaultTopicFromSystem(*system) : QString();
}

QString defaultTopicFromSystem(const QByteArray& system)
{
    constexpr qsizetype kVersionSize = 4;
    constexpr qsizetype kRecordHeaderSize = 4;
    constexpr quint16 kDefaultTopicCode = 2;

    const auto* bytes = reinterpret_cast<const uchar*>(system.constData());
    for (qsizetype at = kVersionSize; at + kRecordHeaderSize <= system.size();) {
        const quint16 code = qFromLittleEndian<quint16>(bytes + at);
        const quint16 length = qFromLittleEndian<quint16>(bytes + at + 2);
        at += kRecordHeaderSize;
        if (length > system.size() - at)
            break;
        if (code == kDefaultTopicCode) {
            QByteArray name = system.mid(at, length);
            if (const qsizetype end = name.indexOf('\0'); end >= 0)
                name.truncate(end);
            if (name.isEmpty())
                return {};
            const QString topic = QString::fromUtf8(name);
            return topic.startsWith(QLatin1Char('/')) ? topic : QLatin1Char('/') + topic;
        }
        at += length;
    }
    return {};
}

} // namespace kivola
