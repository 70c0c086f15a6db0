<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CDataDistributionThread</name>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownLoad</name>
    <message>
        <source>Index</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>Files download</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Disk space is too low</source>
        <translation>Disk space is too low</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>The segment</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>the start time should be earlier than end time.</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>The time cross.</translation>
    </message>
    <message>
        <source>Download could not be started.</source>
        <translation>Download could not be started.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message numerus="yes">
        <source>(%n file(s))</source>
        <translation><numerusform>(%n file)</numerusform><numerusform>(%n files)</numerusform></translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>Starting</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>Manual Stop</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>DownLoad Exception.</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>Download Exception</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>Download Completed</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>Disk space is not enough. At least 2G disk space is need.</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownloadClass</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>Download By File</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>Download By Time</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>Time Period 1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>Time Period 2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>Time Period 3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>Time Period 4</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>All selected files size:</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>The remaining disk space size:</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>DownLoad</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
