#include "help_browser.h"

#include "chm_archive.h"

#include <QFileInfo>
#include <QImage>
#include <QStringDecoder>
#include <QTextDocument>

namespace kivola {

namespace {

constexpr int kDocumentMargin = 10;

bool isTopicPath(const QString& path)
{
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
        || path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

// Honours the charset the topic declares (UTF-8 or GB2312/GBK); falls back to UTF-8.
QString decodeTopic(const QByteArray& bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

} // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("helpBrowser"));
    // Every address is resolved inside the help file; nothing is handed to other programs.
    setOpenExternalLinks(false);
    setOpenLinks(true);
    document()->setDocumentMargin(kDocumentMargin);
}

QUrl HelpBrowser::topicUrl(const QString& topic)
{
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(topic.startsWith(QLatin1Char('/')) ? topic : QLatin1Char('/') + topic);
    return url;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != kScheme)
        return QTextBrowser::loadResource(type, name);

    const QString path = url.path();
    const bool topic = type == QTextDocument::HtmlResource
        || (type == QTextDocument::UnknownResource && isTopicPath(path));

    if (!archive_ || !archive_->isOpen()) {
        if (!topic)
            return {};
        const QString file = archive_ ? archive_->fileName() : QString();
        return notFoundPage(tr("找不到帮助文件 %1").arg(QFileInfo(file).fileName()), file);
    }

    const std::optional<QByteArray> data = archive_->read(path);
    if (topic) {
        if (!data)
            return notFoundPage(tr("找不到帮助主题 %1").arg(path), archive_->fileName());
        return decodeTopic(*data);
    }
    if (!data)
        return {};
    if (type == QTextDocument::ImageResource) {
        QImage image;
        if (!image.loadFromData(*data))
            return {};
        return image;
    }
    return *data;
}

QString HelpBrowser::notFoundPage(const QString& line, const QString& detail) const
{
    return QStringLiteral("<html><head><title>%1</title></head><body>"
                          "<p style=\"font-size: 15px;\"><b>%1</b></p><p>%2</p></body></html>")
        .arg(line.toHtmlEscaped(), detail.toHtmlEscaped());
}

} // namespace kivola
