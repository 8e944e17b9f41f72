#pragma once
#include "afx.h"
#include "CRegistryProblem.h"

typedef CArray<REGPROBLEM_TYPE, REGPROBLEM_TYPE> CIgnoreTypeArray;

// The ignore list's file work over two parallel arrays that someone else owns:
// entry texts and their categories, index for index. Entry i is a pair only
// while i is below both sizes (see GetCount); a file with an odd number of
// lines leaves one unmatched category behind the pairs.
class CIgnoreList {
public:
    CIgnoreList(CStringArray& texts, CIgnoreTypeArray& types, const CString& path);
    CIgnoreList(const CIgnoreList&) = delete;
    CIgnoreList& operator=(const CIgnoreList&) = delete;

    // "ignorelist.dat" in the program's folder.
    static CString GetDefaultPath();
    // "<key>\<value name>|<value>".
    static CString MakeEntryText(const CRegistryProblem& problem);

    // The number of entries that have both a text and a category.
    INT_PTR GetCount() const;
    // Appends the file's entries; a missing or unreadable file adds nothing.
    void Load();
    // Rewrites the file with every entry that is not removed and whose text
    // has no line break; FALSE when the file could not be written whole.
    BOOL Save() const;
    // Adds the problem's entry (no check for an equal one) and saves.
    BOOL Add(const CRegistryProblem& problem);
    // Marks an entry removed: category -1, its text kept. Does not save.
    void MarkRemoved(INT_PTR index);
    // Takes every removed entry out of both arrays.
    void Compact();

    const CString& GetPath() const { return m_path; }

private:
    void InsertPair(const CString& text, REGPROBLEM_TYPE type);

    CStringArray& m_texts;
    CIgnoreTypeArray& m_types;
    CString m_path;
};
