<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CLineEditDialog</name>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="383"/>
        <source>Edit Tag</source>
        <translation>Edit Tag</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="389"/>
        <source>Tag Time:</source>
        <translation>Tag Time:</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="394"/>
        <source>Tag Name:</source>
        <translation>Tag Name:</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="423"/>
        <source>Tag name cannot be empty.</source>
        <translation>Tag name cannot be empty.</translation>
    </message>
</context>
<context>
    <name>CTagTimeSlider</name>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="440"/>
        <source>Edit tag</source>
        <translation>Edit tag</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="441"/>
        <source>Delete tag</source>
        <translation>Delete tag</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="537"/>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSlider.cpp" line="537"/>
        <source>Are you sure you want to delete the tag?</source>
        <translation>Are you sure you want to delete the tag?</translation>
    </message>
</context>
<context>
    <name>CTimeSliderFilterPopup</name>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="23"/>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="28"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../timeline/TimeSliderFilterPopup.cpp" line="29"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TimelineShots</name>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="60"/>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="80"/>
        <source>Click a bar to play it.</source>
        <translation>Click a bar to play it.</translation>
    </message>
    <message>
        <location filename="../tools/varpen-gallery/timeline_shots.cpp" line="82"/>
        <source>Row %1 at %2</source>
        <translation>Row %1 at %2</translation>
    </message>
</context>
</TS>
