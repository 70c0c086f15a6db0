<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CDiskTreeBox</name>
    <message>
        <location filename="../widgets/CDiskTreeBox.cpp" line="56"/>
        <source>Physical Disk </source>
        <translation>物理磁盘 </translation>
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
        <translation>名称：</translation>
    </message>
</context>
<context>
    <name>CInputInfoDlg</name>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="68"/>
        <source>Name cannot be empty.</source>
        <translation>名称不能为空。</translation>
    </message>
    <message>
        <location filename="../widgets/CInputInfoDlg.cpp" line="72"/>
        <source>Name cannot contain the following symbol (&apos; ).</source>
        <translation>名称不能包含以下符号（&apos; ）。</translation>
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
        <translation>文件名</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>Start time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>End time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="43"/>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="66"/>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="70"/>
        <source>Recorder %1</source>
        <translation>录像机 %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="73"/>
        <source>Camera %1</source>
        <translation>摄像机 %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="90"/>
        <source>Disk channels %1</source>
        <translation>磁盘通道 %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="94"/>
        <source>Channel %1</source>
        <translation>通道 %1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="113"/>
        <source>NVR copy (2024-03-05)</source>
        <translation>NVR 副本 (2024-03-05)</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="162"/>
        <source>Snapshot format</source>
        <translation>抓图格式</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="167"/>
        <source>Package size</source>
        <translation>打包大小</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="171"/>
        <source>Recorder 1</source>
        <translation>录像机 1</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="172"/>
        <source>Camera 01</source>
        <translation>摄像机 01</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="176"/>
        <source>Tree box</source>
        <translation>树形框</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="179"/>
        <source>Every day</source>
        <translation>每天</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/kit_views_shots.cpp" line="180"/>
        <source>Schedule</source>
        <translation>计划</translation>
    </message>
</context>
</TS>
