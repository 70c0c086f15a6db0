<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CDlgAbout</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Local Playback Software</source>
        <translation>Local Playback Software</translation>
    </message>
</context>
<context>
    <name>CDlgAboutClass</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>CSettingsWidget</name>
    <message>
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Save Type:</source>
        <translation>Save Type:</translation>
    </message>
    <message>
        <source>Package Size:</source>
        <translation>Package Size:</translation>
    </message>
    <message>
        <source>Save Path:</source>
        <translation>Save Path:</translation>
    </message>
    <message>
        <source>change</source>
        <translation>change</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>32MB</source>
        <translation>32MB</translation>
    </message>
    <message>
        <source>128MB</source>
        <translation>128MB</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>Select Directory</translation>
    </message>
    <message>
        <source>The free space of this folder cannot be checked.</source>
        <translation>The free space of this folder cannot be checked.</translation>
    </message>
    <message>
        <source>At least 500M disk space is need.</source>
        <translation>At least 500M disk space is need.</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>At least 2G disk space is need.</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>Save successful.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Save failed.</source>
        <translation>Save failed.</translation>
    </message>
</context>
<context>
    <name>CVarpenMainWnd</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Save new settings?</source>
        <translation>Save new settings?</translation>
    </message>
    <message>
        <source>DiskSpace is low.</source>
        <translation>DiskSpace is low.</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Sure to close software</source>
        <translation>Sure to close software</translation>
    </message>
</context>
<context>
    <name>CVarpenMainWndClass</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>View Log</source>
        <translation>View Log</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Config</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
</context>
</TS>
