#pragma once
// Where the search reports how far it is: the window's gauge, or nothing.

namespace kivola {

class SearchProgress {
public:
    virtual ~SearchProgress() = default;
    // Whole percent; implementations clamp to 0..100 and redraw at once when the shown value changes.
    virtual void setProgress(int percent) = 0;
    // The value shown now (the search adds to it below the first ply).
    virtual int progress() const = 0;
    // Repaints the window synchronously; called once just before a search starts.
    virtual void repaintNow() = 0;
};

// Keeps the value and draws nothing: for the benchmark, tests and the console engine.
class QuietProgress final : public SearchProgress {
public:
    void setProgress(int percent) override { value_ = percent < 0 ? 0 : (percent > 100 ? 100 : percent); }
    int progress() const override { return value_; }
    void repaintNow() override {}

private:
    int value_ = 0;
};

} // namespace kivola
