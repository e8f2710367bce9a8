#pragma once

#include <QLineEdit>

namespace basecontrols {

// The host's coordinate field: a fixed-width text where typed characters overwrite the
// ones under the cursor instead of pushing them along.
class CoordEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CoordEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace basecontrols
