<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CDiskTreeBox</name>
    <message>
        <location filename="../widgets/CDiskTreeBox.cpp" line="56"/>
        <source>Physical Disk </source>
        <translation>Physical Disk </translation>
    </message>
</context>
<context>
    <name>CInputInfoClass</name>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="35"/>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="36"/>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
</context>
<context>
    <name>CInputInfoDlg</name>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="68"/>
        <source>Name cannot be empty.</source>
        <translation>Name cannot be empty.</translation>
    </message>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="72"/>
        <source>Name cannot contain the following symbol (&apos; ).</source>
        <translation>Name cannot contain the following symbol (&apos; ).</translation>
    </message>
</context>
<context>
    <name>CVolumeWidgetUi</name>
    <message>
        <location filename="../widgets/CVolumeButton.cpp" line="38"/>
        <source>...</source>
        <translation>...</translation>
    </message>
</context>
<context>
    <name>KitViewsShots</name>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>File name</source>
        <translation>File name</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>Start time</source>
        <translation>Start time</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>End time</source>
        <translation>End time</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="66"/>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="70"/>
        <source>Recorder %1</source>
        <translation>Recorder %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="73"/>
        <source>Camera %1</source>
        <translation>Camera %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="90"/>
        <source>Disk channels %1</source>
        <translation>Disk channels %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="94"/>
        <source>Channel %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="113"/>
        <source>NVR copy (2024-03-05)</source>
        <translation>NVR copy (2024-03-05)</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="162"/>
        <source>Snapshot format</source>
        <translation>Snapshot format</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="167"/>
        <source>Package size</source>
        <translation>Package size</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="171"/>
        <source>Recorder 1</source>
        <translation>Recorder 1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="172"/>
        <source>Camera 01</source>
        <translation>Camera 01</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="176"/>
        <source>Tree box</source>
        <translation>Tree box</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="179"/>
        <source>Every day</source>
        <translation>Every day</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="180"/>
        <source>Schedule</source>
        <translation>Schedule</translation>
    </message>
</context>
</TS>
