<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CDataDistributionThread</name>
    <message>
        <source>Wait</source>
        <translation>等待</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownLoad</name>
    <message>
        <source>Index</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>文件下载</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Disk space is too low</source>
        <translation>磁盘空间不足</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>时间段</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>的开始时间应早于结束时间。</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>时间段有交叉。</translation>
    </message>
    <message>
        <source>Download could not be started.</source>
        <translation>无法开始下载。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message numerus="yes">
        <source>(%n file(s))</source>
        <translation><numerusform>(%n 个文件)</numerusform></translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>正在启动</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>手动停止</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>下载异常。</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>下载异常</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>正在下载</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>下载完成</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>磁盘空间不足，至少需要2G磁盘空间。</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownloadClass</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>按文件下载</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>按时间下载</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>时间段1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>时间段2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>时间段3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>时间段4</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>所选文件总大小：</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>磁盘剩余空间：</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
</TS>
