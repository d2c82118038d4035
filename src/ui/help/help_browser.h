#pragma once

#include <QTextBrowser>
#include <QUrl>

namespace kivola {

class ChmArchive;

// Shows topics of a compiled help file. Topic and picture addresses use the scheme "chm",
// so relative links between topics resolve like paths inside the archive.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    static inline const QString kScheme = QStringLiteral("chm");

    explicit HelpBrowser(QWidget* parent = nullptr);

    // Not owned; null or a file that did not open shows a line naming the missing file.
    void setArchive(const ChmArchive* archive) { archive_ = archive; }
    const ChmArchive* archive() const { return archive_; }

    static QUrl topicUrl(const QString& topic);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString notFoundPage(const QString& line, const QString& detail) const;

    const ChmArchive* archive_ = nullptr;
};

} // namespace kivola
