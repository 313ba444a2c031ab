// Characters an edit refuses as they are typed. A field whose text ends up in a ";"-separated
// profile file or in a ","-separated receiver command must never take a separator: refusing it
// at the key is clearer than a message at OK and cannot be got round by pasting.
#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

#include "framework/controls.h"
#include "framework/wnd_styles.h"

namespace zentrix::framework {
namespace {

class RefusingValidator : public QValidator {
  public:
    RefusingValidator(QString refused, bool digitsOnly, QObject* parent)
        : QValidator(parent), refused_(std::move(refused)), digitsOnly_(digitsOnly) {}

    State validate(QString& input, int& /*position*/) const override {
        for (const QChar ch : input) {
            if (refused_.contains(ch))
                return Invalid;
            if (digitsOnly_ && (ch < u'0' || ch > u'9'))
                return Invalid;
        }
        return Acceptable;
    }

  private:
    QString refused_;
    bool digitsOnly_;
};

void refuse(QLineEdit* edit, DWORD style, WideStringView characters) {
    // Replaces any earlier filter, keeping a digits-only edit's rule.
    delete edit->validator();
    edit->setValidator(new RefusingValidator(QString::fromStdU16String(WideString(characters)),
                                             (style & ES_NUMBER) != 0, edit));
}

}  // namespace

void CEdit::RefuseCharacters(WideStringView characters) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget()))
        refuse(edit, GetStyle(), characters);
}

bool CComboBox::RefuseCharacters(WideStringView characters) {
    auto* combo = qobject_cast<QComboBox*>(widget());
    if (combo == nullptr || combo->lineEdit() == nullptr)
        return false;
    refuse(combo->lineEdit(), 0, characters);
    return true;
}

}  // namespace zentrix::framework
