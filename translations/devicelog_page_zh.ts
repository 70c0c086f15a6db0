<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CLocalLogWidget</name>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="206"/>
        <location filename="../devicelog/LogChoices.cpp" line="74"/>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Operation time</source>
        <translation>操作时间</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Major Type</source>
        <translation>主类型</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Minor Type</source>
        <translation>次类型</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Local Operator</source>
        <translation>本地操作用户</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Remote Operator</source>
        <translation>远程操作用户</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Remote Host Address</source>
        <translation>远程主机地址</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Parameter Type</source>
        <translation>参数类型</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Channel No</source>
        <translation>通道号</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Disk No</source>
        <translation>硬盘号</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Alarm Input</source>
        <translation>报警输入</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Alarm Output</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="258"/>
        <location filename="../devicelog/LocalLogWidget.cpp" line="348"/>
        <location filename="../devicelog/LogChoices.cpp" line="86"/>
        <source>Information</source>
        <translation>提示</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="263"/>
        <source>Can not search the selected disk</source>
        <translation>无法搜索所选磁盘</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="297"/>
        <source>The log should less than 2000, Please constrain the Parameter!</source>
        <translation>日志应少于2000条，请缩小搜索条件！</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="313"/>
        <source>No log found!</source>
        <translation>未找到日志！</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="319"/>
        <source>The log of the selected disk cannot be read (error %1).</source>
        <translation>无法读取所选磁盘的日志（错误 %1）。</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="334"/>
        <source>No log had been searched</source>
        <translation>尚未搜索到日志</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="348"/>
        <source>The file already exists. Do you want to replace it?</source>
        <translation>文件已存在，是否替换？</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="352"/>
        <source>Writing...</source>
        <translation>正在写入...</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="366"/>
        <location filename="../devicelog/LocalLogWidget.cpp" line="375"/>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="366"/>
        <source>Open file failed!</source>
        <translation>打开文件失败！</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="369"/>
        <source>Backup successful.</source>
        <translation>备份成功。</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="333"/>
        <source>More than %1 logs were found: only the first %1 are listed. Please narrow the search.</source>
        <translation>找到的日志超过%1条：仅列出前%1条。请缩小搜索条件。</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="338"/>
        <source>Backup successful. The file holds the %1 listed logs only: more than %2 logs were found.</source>
        <translation>备份成功。文件仅包含列出的%1条日志：找到的日志超过%2条。</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="372"/>
        <source>Backup Failed.</source>
        <translation>备份失败。</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="375"/>
        <source>Unknown error.</source>
        <translation>未知错误。</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="19"/>
        <source>Signal Lost</source>
        <translation>信号丢失</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="20"/>
        <source>IP camera has duplicated IP address</source>
        <translation>IP摄像机IP地址冲突</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="21"/>
        <source>Capture Error</source>
        <translation>抓图出错</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="22"/>
        <source>Video Out Standard Mismatch</source>
        <translation>视频输出制式不匹配</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="23"/>
        <source>Turn Off</source>
        <translation>关机</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="24"/>
        <source>Local Time Configuration</source>
        <translation>本地配置时间</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="25"/>
        <source>Local Operation: Restore Password</source>
        <translation>本地操作：恢复密码</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="26"/>
        <source>Local Operation: Export Picture File</source>
        <translation>本地操作：导出图片文件</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="27"/>
        <source>Local Operation: Start Capture</source>
        <translation>本地操作：开始抓图</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="28"/>
        <source>Local Operation: Stop Capture</source>
        <translation>本地操作：停止抓图</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="29"/>
        <source>Local Operation: Operate Label</source>
        <translation>本地操作：操作标签</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="30"/>
        <source>Remote Operation: Export Picture File</source>
        <translation>远程操作：导出图片文件</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="31"/>
        <source>Remote Operation: Start Capture</source>
        <translation>远程操作：开始抓图</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="32"/>
        <source>Remote Operation: Stop Capture</source>
        <translation>远程操作：停止抓图</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="33"/>
        <source>Remote Operation: Operate Tag</source>
        <translation>远程操作：操作标签</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="83"/>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="84"/>
        <source>Exception</source>
        <translation>异常</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="85"/>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="99"/>
        <source>Unknown (0x%1)</source>
        <translation>未知（0x%1）</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="123"/>
        <source>The start time should be earlier than end time.</source>
        <translation>开始时间应早于结束时间。</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="125"/>
        <source>You can only search log within 30 days</source>
        <translation>只能搜索30天以内的日志</translation>
    </message>
</context>
<context>
    <name>CLogBackup</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="92"/>
        <source>Backup Log</source>
        <translation>备份日志</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="93"/>
        <source>Backup</source>
        <translation>备份</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="99"/>
        <source>Select backup path</source>
        <translation>选择备份路径</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="108"/>
        <source>File path cannot be empty.</source>
        <translation>文件路径不能为空。</translation>
    </message>
</context>
<context>
    <name>CLogSearchProgress</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="31"/>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
</context>
<context>
    <name>CLogWidgetClass</name>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="160"/>
        <source>CLocalLogWidget</source>
        <translation>查看日志</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="161"/>
        <source>Disk Name:</source>
        <translation>磁盘名称：</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="162"/>
        <source>Main Type:</source>
        <translation>主类型：</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="163"/>
        <source>Minor Type:</source>
        <translation>次类型：</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="164"/>
        <source>Start Time:</source>
        <translation>开始时间：</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="165"/>
        <source>Stop Time:</source>
        <translation>结束时间：</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="166"/>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="167"/>
        <source>Log List</source>
        <translation>日志列表</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="168"/>
        <source>Export</source>
        <translation>导出</translation>
    </message>
</context>
<context>
    <name>LogSearchProgressUi</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="17"/>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
</context>
<context>
    <name>UiLogBackup</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="85"/>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="86"/>
        <source>File Path:</source>
        <translation>文件路径：</translation>
    </message>
</context>
</TS>
