// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLine>
#include <QWidget>
#include <vector>

// A borderless container that draws the plain frame lines of its design.
class Panel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // From (x1, y1) to (x2, y2), in twips.
    void AddLine(int x1, int y1, int x2, int y2);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QLine> lines_;
};
