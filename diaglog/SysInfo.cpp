#include "SysInfo.h"
#include "LogText.h"

SysInfo::SysInfo(LPCSTR pszOperatingSystem, LPCSTR pszServicePack, LPCSTR pszProductVersion,
                 LPCSTR pszWorkingDir, int nVendorId, int nProductId, BYTE bAutoProgramUpdate)
    : operatingSystem(pszOperatingSystem),
      servicePack(pszServicePack),
      productVersion(pszProductVersion),
      workingDir(pszWorkingDir),
      vendorId(nVendorId),
      productId(nProductId),
      autoProgramUpdate(bAutoProgramUpdate)
{
    EscapeXml(operatingSystem);
    EscapeXml(servicePack);
    EscapeXml(productVersion);
    EscapeXml(workingDir);
}

SysInfo::~SysInfo() = default;

void SysInfo::WriteXml(CString& out) const
{
    out += "<SysInfo ";
    out.AppendFormat("Operating-System=\"%s\" ", (LPCSTR)operatingSystem);
    out.AppendFormat("Service-Pack=\"%s\" ", (LPCSTR)servicePack);
    out.AppendFormat("Product-Version=\"%s\" ", (LPCSTR)productVersion);
    out.AppendFormat("Working-Dir=\"%s\" ", (LPCSTR)workingDir);
    out.AppendFormat("Vendor-ID=\"%d\" ", vendorId);
    out.AppendFormat("Product-ID=\"%d\" ", productId);
    out.AppendFormat("Auto-Program-Update=\"%s\" ", autoProgramUpdate != 0 ? "on" : "off");
    out += "/>\n";
}
