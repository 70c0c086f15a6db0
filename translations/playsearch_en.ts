<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CPlayBackWidget</name>
    <message>
        <location filename="../playback/ChannelTree.cpp" line="+34"/>
        <source>channel</source>
        <translation>channel</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>PCREC Video</source>
        <translation>PCREC Video</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Encoder Video</source>
        <translation>Encoder Video</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>DVR Video</source>
        <translation>DVR Video</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackSearchRules.cpp" line="+48"/>
        <source>Begin time should earlier than end time</source>
        <translation>Begin time should earlier than end time</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>You can only search video in 30days</source>
        <translation>You can only search video in 30days</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please select a camera</source>
        <translation>Please select a camera</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Camera should less than 16</source>
        <translation>Camera should less than 16</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No window left for: %1</source>
        <translation>No window left for: %1</translation>
    </message>
    <message>
        <location line="+59"/>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Motion</source>
        <translation>Motion</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Plan</source>
        <translation>Plan</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cash out</source>
        <translation>Cash out</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cash in</source>
        <translation>Cash in</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Command</source>
        <translation>Command</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Shake</source>
        <translation>Shake</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Enviroment</source>
        <translation>Enviroment</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm | Motion</source>
        <translation>Alarm | Motion</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm &amp; Motion</source>
        <translation>Alarm &amp; Motion</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Intelligent</source>
        <translation>Intelligent</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Urgent</source>
        <translation>Urgent</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Near</source>
        <translation>Near</translation>
    </message>
    <message>
        <location filename="../playback/PlayBackWidgetDisk.cpp" line="+51"/>
        <source>Can not search the selected disk</source>
        <translation>Can not search the selected disk</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>The selected disk cannot be read (error %1).</source>
        <translation>The selected disk cannot be read (error %1).</translation>
    </message>
    <message>
        <location filename="../playback/PlayBackWidgetSearch.cpp" line="+89"/>
        <source>Search...</source>
        <translation>Search...</translation>
    </message>
    <message>
        <location line="+88"/>
        <source>The recordings of the selected disk cannot be read.</source>
        <translation>The recordings of the selected disk cannot be read.</translation>
    </message>
</context>
</TS>
