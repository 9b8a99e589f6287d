#pragma once
// The main window's status bar: three sunken parts along the bottom edge,
// whose right edges lie at fixed pixel positions and at the window's edge.
// A text too long for its part loses its middle, so that a path keeps both
// its start and its file name, and the whole text becomes the part's tip.

#include <QString>
#include <QWidget>
#include <array>

#include "controls.h"

class QLabel;

namespace brisol {

class StatusBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPartCount = kStatusPartCount;
    static constexpr int kProgressPart = brisol::kProgressPart;
    static constexpr int kFilePart = brisol::kFilePart;

    explicit StatusBar(QWidget* parent = nullptr);

    void set_part_text(int part, const QString& text);
    // The whole text, and what of it fits into the part.
    QString part_text(int part) const;
    QString shown_text(int part) const;
    QRect part_geometry(int part) const;

    // Places the bar along the bottom edge of its parent, at its own height.
    void dock_to_parent_bottom();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place_parts();
    void show_text(int part);

    std::array<QLabel*, kPartCount> parts_{};
    std::array<QString, kPartCount> texts_{};
};

}  // namespace brisol
