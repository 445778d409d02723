#pragma once

#include <QTableView>

#include "ui/command_list_model.h"

namespace velmira {

// A report-style list of echoed calls: red text, two columns, several rows may
// be selected, rows never removed.
class CommandList : public QTableView {
    Q_OBJECT
  public:
    // firstColumnShare: the part of the width the first column gets (1/6 means W/6).
    CommandList(const QString& first, const QString& second, int shareNumerator,
                int shareDenominator, QWidget* parent = nullptr);

    CommandListModel& rows() { return model_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    CommandListModel model_;
    int numerator_;
    int denominator_;
};

}  // namespace velmira
