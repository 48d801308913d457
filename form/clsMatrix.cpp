// Loading the matrix and the validation rule of each column. Rules are set once per whole data
// column; a new row copies the rule of the row above rather than building a lookup list again.
#include "form/clsMatrix.h"

#include "common/AppConstants.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "datasource/clsRelation.h"
#include "datasource/modDataTypes.h"
#include "form/clsForm.h"
#include "form/modSheetFill.h"
#include "platform/IProgress.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace qv {

namespace {

// What the records model reports as the size of a text without a length limit.
constexpr std::int32_t UnlimitedTextSize = 1073741823;

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

[[noreturn]] void cancelled() {
    throw NumberedError(ProgressCancelled, std::string(APP_TITLE), "Cancelled by the user");
}

} // namespace

clsMatrix::clsMatrix(clsForm& form) : mForm(form), mNames(std::make_unique<clsFormNames>(form)) {
    if (form.ListsSheet()) mNames->InitListsSheet();
}

clsMatrix::~clsMatrix() = default;

const clsField& clsMatrix::Field(long index) const {
    if (index < 0 || index >= FieldCount()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, "clsMatrix");
    return *mFieldArray[static_cast<std::size_t>(index)];
}

clsField& clsMatrix::Field(long index) {
    return const_cast<clsField&>(static_cast<const clsMatrix&>(*this).Field(index));
}

bool clsMatrix::HasField(const std::string& name) const {
    return std::any_of(mFieldArray.begin(), mFieldArray.end(),
                       [&](const auto& f) { return sameName(f->Name(), name); });
}

const clsField& clsMatrix::Field(const std::string& name) const {
    for (const auto& f : mFieldArray)
        if (sameName(f->Name(), name)) return *f;
    throw ErrorCatalogue::make(err::InvalidProcedureCall, "clsMatrix");
}

RangePtr clsMatrix::CellOf(long record, long field) const {
    if (field < 0 || field >= FieldCount() || !mFieldArray[static_cast<std::size_t>(field)]->Cell())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, "clsMatrix");
    return mFieldArray[static_cast<std::size_t>(field)]->Cell()->offset(record, 0);
}

RangePtr clsMatrix::DataCells() const {
    if (!mDataRange || mRecordCount <= 0) return nullptr;
    return mDataRange->cell(1, 1)->offset(1, 0)->resize(mRecordCount, mDataRange->columnCount());
}

RangePtr clsMatrix::DataColumn(long field) const {
    if (mRecordCount <= 0) return nullptr;
    return CellOf(1, field)->resize(mRecordCount, 1);
}

AdoRecordsetPtr clsMatrix::LoadMatrix(IWorksheet& sheet, const std::string& sql, bool warn,
                                      IProgress* progress) {
    IDS& ds = mForm.DataSource();
    if (progress) {
        if (progress->Cancelled()) cancelled();
        progress->Report(0, modGlobalization::GetText(5));
    }
    AdoRecordsetPtr rs = ds.GetRecordSet(sql, false);
    if (!rs) throw NumberedError(err::ObjectNotSet, "clsMatrix", "Object variable not set: record set");
    if (progress && progress->Cancelled()) cancelled();
    // A table that cannot fit is refused before anyone is asked whether to wait for it.
    clsAux::CheckRecordLimit(*rs, sheet);
    const long long n = rs->recordCount();
    mRecordCount = mLoadedCount = static_cast<std::int32_t>(n);
    if (warn && mForm.Aux().CancelLargeLoad(*rs)) cancelled();
    BuildFields(*rs);
    const long fields = std::max(1L, FieldCount());
    mDataRange = sheet.rangeOf(1, 1, static_cast<long>(n) + 1, fields);
    for (long i = 0; i < FieldCount(); ++i)
        mFieldArray[static_cast<std::size_t>(i)]->SetCell(sheet.cells(1, i + 1));
    modSheetFill::FillSheetFromRecordset(sheet, *rs, 1, 1, modSheetFill::FormFields{mForm.Sheet(), this},
                                         progress);
    return rs;
}

void clsMatrix::BuildFields(IAdoRecordset& rs) {
    IDS& ds = mForm.DataSource();
    // The catalogue connection is closed after every show; a reload opens it again.
    if (!ds.DbDAO() && !ds.ConnectDAO()) cancelled();
    ITable& table = ds.Table();
    mFieldArray.clear();
    for (long i = 0; i < rs.fieldCount(); ++i) {
        std::unique_ptr<clsField> f =
            table.InitializeField(rs.field(i)->name(), static_cast<std::int16_t>(i), rs);
        if (!f) throw NumberedError(err::ObjectNotSet, "clsMatrix", "Object variable not set: field");
        mFieldArray.push_back(std::move(f));
    }
}

bool clsMatrix::IsLookupColumn(const clsField& field, const clsRelation** relation) const {
    for (const clsRelation& r : mForm.DataSource().Table().Relations()) {
        if (sameName(r.ForeignTable(), mForm.Name()) && sameName(r.ForeignName(), field.Name())) {
            *relation = &r;
            return true;
        }
    }
    return false;
}

void clsMatrix::FinalizeColumnData(bool insert, const clsField& field) {
    using modGlobalization::GetText;
    if (mRecordCount <= 0) return;
    RangePtr target = insert ? CellOf(mRecordCount, field.Index()) : DataColumn(field.Index());
    auto validation = target->validation();
    validation->remove();

    std::string title = GetText(97);
    std::string text;
    auto finish = [&] {
        if (!field.ValidationText().empty()) text += "\r" + field.ValidationText();
        validation->setErrorTitle(title);
        validation->setErrorMessage(text);
    };

    const clsRelation* relation = nullptr;
    if (IsLookupColumn(field, &relation)) {
        if (insert && mRecordCount >= 2) {
            CellOf(mRecordCount - 1, field.Index())->copyValidationTo(*target);
            return;
        }
        const std::string list = mNames->BuildLookupList(*relation);
        validation->add(xl::ValidationType::List, xl::ValidationAlert::Stop, xl::ValidationOperator::Between,
                        "=" + list);
        text = GetText(98);
        finish();
        return;
    }

    using xl::ValidationAlert;
    using xl::ValidationOperator;
    using xl::ValidationType;
    const std::int32_t type = field.TypeADO();
    switch (type) {
    case ado::SmallInt:
    case ado::Integer:
    case ado::TinyInt:
    case ado::BigInt:
        validation->add(ValidationType::WholeNumber, ValidationAlert::Stop, ValidationOperator::Greater,
                        "-100000000");
        text = GetText(99);
        break;
    case ado::Single:
    case ado::Double:
    case ado::Currency:
    case ado::Decimal:
    case ado::Numeric:
        validation->add(ValidationType::Decimal, ValidationAlert::Stop, ValidationOperator::Greater,
                        "-100000000");
        text = GetText(type == ado::Currency ? 108 : 109);
        break;
    case ado::Date:
    case ado::DBDate:
    case ado::DBTimeStamp:
        if (lower(field.Format()).find("time") != std::string::npos) {
            validation->add(ValidationType::Time, ValidationAlert::Stop, ValidationOperator::GreaterEqual,
                            "00:00");
            text = GetText(111);
        } else {
            validation->add(ValidationType::Date, ValidationAlert::Stop, ValidationOperator::Greater,
                            "1/1/1900");
            text = GetText(110);
        }
        break;
    case ado::FileTime:
    case ado::DBTime:
        validation->add(ValidationType::Time, ValidationAlert::Stop, ValidationOperator::GreaterEqual,
                        "00:00");
        text = GetText(111);
        break;
    case ado::Boolean:
        validation->add(ValidationType::List, ValidationAlert::Stop, ValidationOperator::Between,
                        std::string("=") + clsFormNames::BooleanList);
        text = GetText(107);
        break;
    case ado::UnsignedTinyInt:
    case ado::UnsignedSmallInt:
    case ado::UnsignedInt:
    case ado::UnsignedBigInt:
        validation->add(ValidationType::WholeNumber, ValidationAlert::Stop, ValidationOperator::GreaterEqual,
                        "0");
        text = GetText(100);
        break;
    case ado::GUID:
        validation->add(ValidationType::TextLength, ValidationAlert::Stop, ValidationOperator::Between, "38",
                        "38");
        text = GetText(113);
        break;
    default:
        if (!IsCharacterType(type)) return;
        // A text without a declared length has no limit to warn about.
        if (field.Size() <= 0 || field.Size() >= UnlimitedTextSize) return;
        validation->add(ValidationType::TextLength, ValidationAlert::Warning, ValidationOperator::LessEqual,
                        std::to_string(field.Size()));
        title = GetText(115);
        text = GetText(116, Variant(static_cast<std::int32_t>(field.Size())));
        break;
    }
    finish();
}

} // namespace qv
