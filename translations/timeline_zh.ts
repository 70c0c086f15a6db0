<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CLineEditDialog</name>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="383"/>
        <source>Edit Tag</source>
        <translation>编辑标签</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="389"/>
        <source>Tag Time:</source>
        <translation>标签时间：</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="394"/>
        <source>Tag Name:</source>
        <translation>标签名称：</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="423"/>
        <source>Tag name cannot be empty.</source>
        <translation>标签名称不能为空。</translation>
    </message>
</context>
<context>
    <name>CTagTimeSlider</name>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="440"/>
        <source>Edit tag</source>
        <translation>编辑标签</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="441"/>
        <source>Delete tag</source>
        <translation>删除标签</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="537"/>
        <source>Information</source>
        <translation>提示</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="537"/>
        <source>Are you sure you want to delete the tag?</source>
        <translation>确定要删除该标签吗？</translation>
    </message>
</context>
<context>
    <name>CTimeSliderFilterPopup</name>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="23"/>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="28"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="29"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>TimelineShots</name>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="60"/>
        <source>Window</source>
        <translation>窗口</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="80"/>
        <source>Click a bar to play it.</source>
        <translation>单击录像条即可播放。</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="82"/>
        <source>Row %1 at %2</source>
        <translation>第 %1 行，%2</translation>
    </message>
</context>
</TS>
