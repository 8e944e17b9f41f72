#include "LogElement.h"

LogElement::~LogElement()
{
    DeleteList(classIds);
    DeleteList(files);
}

CString* LogElement::GetXml()
{
    text.Empty();
    WriteXml(text);
    return &text;
}

void LogElement::WriteChildren(CString& out) const
{
    WriteList(files, out);
    WriteList(classIds, out);
}

void LogElement::WriteList(const LogElementList& list, CString& out)
{
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        list.GetNext(pos)->WriteXml(out);
}

void LogElement::DeleteList(LogElementList& list)
{
    while (!list.IsEmpty())
        delete list.RemoveHead();
}
