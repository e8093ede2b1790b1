"""The application manifest (RT_MANIFEST 1) of a disc's SETUP.EXE."""
import re
from html import escape

TEMPLATE = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="{name}" version="{version}" processorArchitecture="x86"/>
  <description>{description}</description>
  <!-- Windows Vista and later: the copy commands write under the Windows
       directory and the started component installers need administrator
       rights; ask for them once, here. The asm.v2 namespace is the one that
       Windows XP before SP3 also parses. -->
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <!-- Windows Vista -->
      <supportedOS Id="{{e2011457-1546-43c5-a5fe-008deee3d3f0}}"/>
      <!-- Windows 7 -->
      <supportedOS Id="{{35138b9a-5d96-4fbd-8e2d-a2440225f93a}}"/>
      <!-- Windows 8 -->
      <supportedOS Id="{{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}}"/>
      <!-- Windows 8.1 -->
      <supportedOS Id="{{1f676c76-80e1-4239-95bb-83d0f6d0da78}}"/>
      <!-- Windows 10 and 11 -->
      <supportedOS Id="{{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}}"/>
    </application>
  </compatibility>
</assembly>
"""


def application_manifest(product):
    # An assembly name is dotted words of letters and digits.
    words = re.sub(r"[^A-Za-z0-9]+", " ", product.name).split() or ["Disc"]
    return TEMPLATE.format(name="".join(w[:1].upper() + w[1:] for w in words) + ".Setup",
                           version=".".join(map(str, product.version)),
                           description=escape(product.description, quote=False))
