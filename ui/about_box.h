#pragma once
// The information box opened by Info: product, maker lines and version, and
// an Ok button that has the focus, so Enter closes the box. Escape does not
// close it; Ok and the close box do.

#include <QDialog>
#include <memory>

namespace Ui {
class AboutBox;
}

namespace brisol {

class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* owner = nullptr);
    ~AboutBox() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::AboutBox> form_;
};

}  // namespace brisol
