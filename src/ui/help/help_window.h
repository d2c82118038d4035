#pragma once

#include <QWidget>

class QAction;

namespace kivola {

class ChmArchive;
class HelpBrowser;

// The help viewer: a top-level window without an owner, reused for every help request.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    HelpWindow();

    HelpBrowser* browser() const { return browser_; }

    // Shows topic (e.g. "/html/ziridugaishu.htm") of archive; the archive stays owned by the
    // caller and must outlive its use here.
    void showTopic(const ChmArchive* archive, const QString& topic);

private:
    HelpBrowser* browser_;
    QAction* back_;
    QAction* forward_;
    QAction* home_;
};

} // namespace kivola
