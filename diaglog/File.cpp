#include "File.h"
#include "CMD5.h"
#include "LogText.h"
#include "PathMatching.h"

namespace {

const char kNoDigest[] = "could not open file for md5 calculation";

CString ExpandedCopy(const CString& fileName)
{
    CString expanded;
    ExpandEnvironmentPath(fileName, expanded);
    return expanded;
}

CString GetPathVariable()
{
    DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
    while (size > 0) {
        CString value;
        DWORD length = GetEnvironmentVariableA("PATH", value.GetBuffer(static_cast<int>(size)), size);
        if (length < size) {
            value.ReleaseBuffer(static_cast<int>(length));
            return value;
        }
        value.ReleaseBuffer(0);
        size = length;
    }
    return CString();
}

}  // namespace

File::File(const CString& fileName) : File(fileName, ExpandedCopy(fileName))
{
}

File::File(const CString& fileName, const CString& expandedFileName) : name(fileName), expandedName(expandedFileName)
{
    md5 = ComputeMd5(expandedName);
    EscapeXml(md5);
    EscapeXml(name);
    EscapeXml(expandedName);
}

File::~File() = default;

CString File::ComputeMd5(CString& expandedName)
{
    CString path;
    StripArguments(expandedName, path);

    CString digest;
    if (MatchFullFilePath(path)) {
        CMD5::GetFileDigest(path, digest);
        return digest.IsEmpty() ? CString(kNoDigest) : digest;
    }

    CString pathVariable = GetPathVariable();
    int pos = 0;
    for (CString folder = pathVariable.Tokenize(";", pos); pos >= 0; folder = pathVariable.Tokenize(";", pos)) {
        CString candidate;
        ExpandEnvironmentPath(folder, candidate);
        if (!candidate.IsEmpty() && candidate[candidate.GetLength() - 1] != '\\')
            candidate += '\\';
        candidate += path;
        CMD5::GetFileDigest(candidate, digest);
        if (!digest.IsEmpty()) {
            expandedName = candidate;
            return digest;
        }
    }
    return kNoDigest;
}

void File::WriteXml(CString& out) const
{
    out += "<File name=\"";
    out += name;
    out += "\" expanded-name=\"";
    out += expandedName;
    out += "\" md5=\"";
    out += md5;
    out += "\"/>\n";
}
