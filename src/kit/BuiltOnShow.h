// BuiltOnShow: a window that makes its contents when it is first shown (or
// first asked about them), so a game that never opens it never pays for its
// widgets. The window itself exists from the start, in its place among the
// others; what it holds is made once, by build().
//
//     class Thelp : public zk::BuiltOnShow<QWidget> {
//         void build() override;   // the buttons, pages and captions
//     };
//     help.show();                 // build() runs first, once
#pragma once

namespace zk {

template <class Window>
class BuiltOnShow : public Window {
public:
    using Window::Window;

    void setVisible(bool visible) override
    {
        if (visible)
            ensureBuilt();
        Window::setVisible(visible);
    }

    // Makes the contents now if they are not made yet.
    void ensureBuilt() const
    {
        if (built_)
            return;
        auto* self = const_cast<BuiltOnShow*>(this);
        self->built_ = true;
        self->build();
    }
    bool isBuilt() const { return built_; }

protected:
    virtual void build() = 0;

private:
    bool built_ = false;
};

} // namespace zk
