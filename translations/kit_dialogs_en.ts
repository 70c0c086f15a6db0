<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CBaseDialogClass</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CFakeChaseDialog</name>
    <message>
        <source>CFakeChaseDialog</source>
        <translation>CFakeChaseDialog</translation>
    </message>
    <message>
        <source>Searching for channels</source>
        <translation>Searching for channels</translation>
    </message>
    <message>
        <source>No Channel Detected</source>
        <translation>No Channel Detected</translation>
    </message>
</context>
<context>
    <name>CFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>CPathComboBox</name>
    <message>
        <source>Select Directory</source>
        <translation>Select Directory</translation>
    </message>
</context>
<context>
    <name>CProgress</name>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>CUiSnapshotInfoWnd</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>CWarnDlgClass</name>
    <message>
        <source>CWarmDlg</source>
        <translation>CWarmDlg</translation>
    </message>
</context>
<context>
    <name>KitDialogsGallery</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>The content frame of a dialog.</source>
        <translation>The content frame of a dialog.</translation>
    </message>
    <message>
        <source>Please input the file path.</source>
        <translation>Please input the file path.</translation>
    </message>
    <message>
        <source>Search...</source>
        <translation>Search...</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>Writing...</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>Select Directory</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>Save to:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>DownLoad Exception.</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Sure to close software</source>
        <translation>Sure to close software</translation>
    </message>
    <message>
        <source>The folder of the clips has less free space than the clip package size needs. Free some space on that disk or choose another folder in the settings, then try again. Recordings already saved are kept. The file /home/op/Videos/Varpen/Clip/&lt;20240305&gt;/CH01 &amp; CH02.mp4 was not written.</source>
        <translation>The folder of the clips has less free space than the clip package size needs. Free some space on that disk or choose another folder in the settings, then try again. Recordings already saved are kept. The file /home/op/Videos/Varpen/Clip/&lt;20240305&gt;/CH01 &amp; CH02.mp4 was not written.</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>Save successful.</translation>
    </message>
    <message>
        <source>varpen-gallery/20240305/clip &lt;1&gt; &amp; 2.mp4</source>
        <translation>varpen-gallery/20240305/clip &lt;1&gt; &amp; 2.mp4</translation>
    </message>
</context>
<context>
    <name>ProgressUi</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>SnapShotDialog</name>
    <message>
        <source>Snapshot</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <source>Select File</source>
        <translation>Select File</translation>
    </message>
    <message>
        <source>Image Files(*.png *.jpg *.jpeg *.bmp)</source>
        <translation>Image Files(*.png *.jpg *.jpeg *.bmp)</translation>
    </message>
</context>
</TS>
