#pragma once

// How the list reads the owner's per-row record (its item data) when it
// sorts and colours rows. The list itself knows nothing of the record's type.
class ReportRecordAccess
{
public:
    virtual ~ReportRecordAccess() = default;

    // Columns ordered by a number from the record instead of by their text.
    virtual bool IsNumericColumn(int nCol) const = 0;

    // The number a numeric column sorts by. pUserData may be null (a row the
    // owner has not given a record yet); NaN compares equal to everything.
    virtual double NumericValue(const void* pUserData, int nCol) const = 0;

    // Rows drawn with the error background by ApplyRowColors.
    virtual bool IsErrorRow(const void* pUserData) const = 0;
};
