#pragma once
// A real main window under the offscreen platform, with answered dialogs and a seeded opponent.

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "fake_dialogs.h"
#include "form1.h"
#include "form2.h"
#include "window_controls.h"

namespace kivola::test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window over another application folder (a copy with files missing, say).
    void openWindow(const QString& appDir = {}, std::uint64_t seed = 7);

    // Moves the pointer over the point and clicks, as a player would.
    void clickPoint(int x, int y);
    void clickPixel(int px, int py);
    // Clicks through the window at a client pixel: whatever the player sees there takes it.
    void clickOnScreen(QPoint inClient);
    // Runs the event loop until the window has nothing left to show: its one-shot timers have
    // fired, no box is open and what was posted before has been delivered. Shows what a
    // handler led to, and that nothing more came, without a guess at how long that takes.
    bool waitForQuiet();
    // Runs the event loop until what is already posted (queued calls among them) has run.
    static bool drainPostedEvents();
    // Runs the event loop until the condition holds or the time runs out; says which.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
    // Sets the level through the menu, as a player would.
    void chooseLevel(QAction* item);
    // Writes a saved game and opens it through the open command and its dialog.
    void loadGame(const QString& file, const QByteArray& bytes);

    // The window's controls, found by name once per window.
    const WindowControls& ui() const;
    int stones() const { return form1->match().stepCount; }
    int cell(int x, int y) const { return form1->match().board[x][y]; }
    QString lastMessage() const { return dialogs.shown.empty() ? QString() : dialogs.shown.back().text; }

    FakeDialogs dialogs;
    NetLibrary* netLibrary = &systemNetLibrary(); // handed to the window openWindow makes
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    QString startDirectory;

private:
    mutable std::optional<WindowControls> controls_;
    mutable const TForm1* controlsOf_ = nullptr;
};

// Copies the built application folder's resources into a scratch folder.
QString copyApplicationFolder(const QString& into);

} // namespace kivola::test
