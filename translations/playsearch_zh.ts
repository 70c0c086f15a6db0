<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CPlayBackWidget</name>
    <message>
        <location filename="../playback/ChannelTree.cpp" line="+34"/>
        <source>channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>PCREC Video</source>
        <translation>PCREC录像</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Encoder Video</source>
        <translation>编码器录像</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>DVR Video</source>
        <translation>DVR录像</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackSearchRules.cpp" line="+48"/>
        <source>Begin time should earlier than end time</source>
        <translation>开始时间应早于结束时间</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>You can only search video in 30days</source>
        <translation>只能搜索30天内的录像</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please select a camera</source>
        <translation>请选择通道</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Camera should less than 16</source>
        <translation>通道数不能超过16个</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No window left for: %1</source>
        <translation>没有空闲的窗口，未显示：%1</translation>
    </message>
    <message>
        <location line="+59"/>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Motion</source>
        <translation>移动侦测</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Plan</source>
        <translation>定时</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cash out</source>
        <translation>取款</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cash in</source>
        <translation>存款</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Command</source>
        <translation>命令</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Shake</source>
        <translation>震动</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Enviroment</source>
        <translation>环境</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm | Motion</source>
        <translation>报警或移动侦测</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Alarm &amp; Motion</source>
        <translation>报警和移动侦测</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Intelligent</source>
        <translation>智能</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Urgent</source>
        <translation>紧急</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Near</source>
        <translation>近距离</translation>
    </message>
    <message>
        <location filename="../playback/PlayBackWidgetDisk.cpp" line="+51"/>
        <source>Can not search the selected disk</source>
        <translation>无法搜索所选磁盘</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>The selected disk cannot be read (error %1).</source>
        <translation>无法读取所选磁盘（错误 %1）。</translation>
    </message>
    <message>
        <location filename="../playback/PlayBackWidgetSearch.cpp" line="+89"/>
        <source>Search...</source>
        <translation>搜索中...</translation>
    </message>
    <message>
        <location line="+88"/>
        <source>The recordings of the selected disk cannot be read.</source>
        <translation>无法读取所选磁盘的录像。</translation>
    </message>
</context>
</TS>
