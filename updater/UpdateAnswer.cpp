#include "UpdateAnswer.h"
#include "CMarkup.h"
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

const int kMaxText = 2048;

// The trimmed text of the next child of that name; FALSE when absent or too long.
BOOL ChildText(CMarkup& xml, LPCSTR name, std::string& text)
{
    if (!xml.FindChildElem(name))
        return FALSE;
    CString data = xml.GetData();
    data.Trim();
    if (data.GetLength() > kMaxText)
        return FALSE;
    text = (LPCSTR)data;
    return TRUE;
}

BOOL IsHex(const std::string& text, size_t length)
{
    if (text.size() != length)
        return FALSE;
    for (char c : text)
        if (!isxdigit(static_cast<unsigned char>(c)))
            return FALSE;
    return TRUE;
}

}  // namespace

BOOL UpdateAnswer::Parse(const std::string& document)
{
    CMarkup xml;
    if (document.find('\0') != std::string::npos || !xml.SetDoc(document.c_str()) || !xml.FindElem("keldrixupdate"))
        return FALSE;
    UpdateAnswer answer;
    std::string kind, version;
    if (!ChildText(xml, "kind", kind) || !ChildText(xml, "version", version) || !ChildText(xml, "url", answer.m_url))
        return FALSE;
    if (kind == "program")
        answer.m_kind = kProgram;
    else if (kind == "whitelist")
        answer.m_kind = kWhitelist;
    else
        return FALSE;

    char* rest = nullptr;
    answer.m_version = strtod(version.c_str(), &rest);
    if (version.empty() || *rest || !std::isfinite(answer.m_version) || answer.m_version < 0)
        return FALSE;
    if (answer.m_url.compare(0, 7, "http://") != 0 && answer.m_url.compare(0, 8, "https://") != 0)
        return FALSE;

    if (ChildText(xml, "sha256", answer.m_digest))
        answer.m_sha256 = TRUE;
    else if (ChildText(xml, "md5", answer.m_digest))
        answer.m_sha256 = FALSE;
    else
        return FALSE;
    if (!IsHex(answer.m_digest, answer.m_sha256 ? 64 : 32))
        return FALSE;
    for (char& c : answer.m_digest)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));

    *this = answer;
    return TRUE;
}
