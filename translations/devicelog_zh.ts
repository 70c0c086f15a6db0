<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>QObject</name>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>异常</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Alarm Input</source>
        <translation>报警输入</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <source>Motion Detection Starts</source>
        <translation>移动侦测开始</translation>
    </message>
    <message>
        <source>Motion Detection Stops</source>
        <translation>移动侦测结束</translation>
    </message>
    <message>
        <source>Video Tampering Starts</source>
        <translation>遮挡报警开始</translation>
    </message>
    <message>
        <source>Video Tampering Stops</source>
        <translation>遮挡报警结束</translation>
    </message>
    <message>
        <source>VCA Alarm Starts</source>
        <translation>智能报警开始</translation>
    </message>
    <message>
        <source>VCA Alarm Stops</source>
        <translation>智能报警结束</translation>
    </message>
    <message>
        <source>ITS Alarm Starts</source>
        <translation>交通报警开始</translation>
    </message>
    <message>
        <source>ITS Alarm Stops</source>
        <translation>交通报警结束</translation>
    </message>
    <message>
        <source>Video Lost</source>
        <translation>视频丢失</translation>
    </message>
    <message>
        <source>Illegal Access</source>
        <translation>非法访问</translation>
    </message>
    <message>
        <source>HDD Full</source>
        <translation>硬盘满</translation>
    </message>
    <message>
        <source>HDD Fault</source>
        <translation>硬盘错误</translation>
    </message>
    <message>
        <source>DCD Lost</source>
        <translation>DCD丢失</translation>
    </message>
    <message>
        <source>IP Address Conflict</source>
        <translation>IP地址冲突</translation>
    </message>
    <message>
        <source>Network Broken</source>
        <translation>网络断开</translation>
    </message>
    <message>
        <source>Record Fault</source>
        <translation>录像异常</translation>
    </message>
    <message>
        <source>IPC Link Disconnect</source>
        <translation>IPC连接断开</translation>
    </message>
    <message>
        <source>Video Input Exception</source>
        <translation>视频输入异常</translation>
    </message>
    <message>
        <source>IPC Address Conflict</source>
        <translation>IPC地址冲突</translation>
    </message>
    <message>
        <source>shipin zonghe pingtai</source>
        <translation>视频综合平台</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>开机</translation>
    </message>
    <message>
        <source>Trun Off</source>
        <translation>关机</translation>
    </message>
    <message>
        <source>Illegal Shutdown</source>
        <translation>异常关机</translation>
    </message>
    <message>
        <source>Local Reboot Device</source>
        <translation>本地重启设备</translation>
    </message>
    <message>
        <source>Local Login</source>
        <translation>本地登录</translation>
    </message>
    <message>
        <source>Local Logout</source>
        <translation>本地注销</translation>
    </message>
    <message>
        <source>Local Settings</source>
        <translation>本地配置参数</translation>
    </message>
    <message>
        <source>Local Playback by File</source>
        <translation>本地按文件回放</translation>
    </message>
    <message>
        <source>Local Playback by Time</source>
        <translation>本地按时间回放</translation>
    </message>
    <message>
        <source>Local Start Recording</source>
        <translation>本地开始录像</translation>
    </message>
    <message>
        <source>Local Stop Recording</source>
        <translation>本地停止录像</translation>
    </message>
    <message>
        <source>Local PTZ Control</source>
        <translation>本地云台控制</translation>
    </message>
    <message>
        <source>Local Preview</source>
        <translation>本地预览</translation>
    </message>
    <message>
        <source>Local Configuration Time</source>
        <translation>本地修改时间</translation>
    </message>
    <message>
        <source>Local Upgrade</source>
        <translation>本地升级</translation>
    </message>
    <message>
        <source>Local Export Recording Files</source>
        <translation>本地导出录像文件</translation>
    </message>
    <message>
        <source>Local Formating HDD</source>
        <translation>本地格式化硬盘</translation>
    </message>
    <message>
        <source>Local Export Config File</source>
        <translation>本地导出配置文件</translation>
    </message>
    <message>
        <source>Local Import Config File</source>
        <translation>本地导入配置文件</translation>
    </message>
    <message>
        <source>Local Backup File</source>
        <translation>本地备份文件</translation>
    </message>
    <message>
        <source>Local Lock Recording Files</source>
        <translation>本地锁定录像文件</translation>
    </message>
    <message>
        <source>Local Unlock Recording Files</source>
        <translation>本地解锁录像文件</translation>
    </message>
    <message>
        <source>Manually Clear and Trigger Alarm Locally</source>
        <translation>本地手动清除和触发报警</translation>
    </message>
    <message>
        <source>Local Add IPC</source>
        <translation>本地添加IPC</translation>
    </message>
    <message>
        <source>Local Delete IPC</source>
        <translation>本地删除IPC</translation>
    </message>
    <message>
        <source>Local Configure IPC</source>
        <translation>本地配置IPC</translation>
    </message>
    <message>
        <source>Local Start Backup</source>
        <translation>本地开始备份</translation>
    </message>
    <message>
        <source>Local Stop Backup</source>
        <translation>本地停止备份</translation>
    </message>
    <message>
        <source>Local Backup Start Time</source>
        <translation>本地备份开始时间</translation>
    </message>
    <message>
        <source>Local Backup End Time</source>
        <translation>本地备份结束时间</translation>
    </message>
    <message>
        <source>Add Local Net Disk</source>
        <translation>本地添加网络硬盘</translation>
    </message>
    <message>
        <source>Delete Local Net Disk</source>
        <translation>本地删除网络硬盘</translation>
    </message>
    <message>
        <source>Configure Local Net Disk</source>
        <translation>本地配置网络硬盘</translation>
    </message>
    <message>
        <source>Remote Login</source>
        <translation>远程登录</translation>
    </message>
    <message>
        <source>Remote Logout</source>
        <translation>远程注销</translation>
    </message>
    <message>
        <source>Remote Start Recording</source>
        <translation>远程开始录像</translation>
    </message>
    <message>
        <source>Stop Start Recording</source>
        <translation>远程停止录像</translation>
    </message>
    <message>
        <source>Establish Transparent Channel</source>
        <translation>建立透明通道</translation>
    </message>
    <message>
        <source>Disconnect Transparent Channel</source>
        <translation>断开透明通道</translation>
    </message>
    <message>
        <source>Get Parameters Remotely</source>
        <translation>远程获取参数</translation>
    </message>
    <message>
        <source>Set Parameters Remotely</source>
        <translation>远程配置参数</translation>
    </message>
    <message>
        <source>Get Status Remotely</source>
        <translation>远程获取状态</translation>
    </message>
    <message>
        <source>Arm Software Remotely</source>
        <translation>远程布防</translation>
    </message>
    <message>
        <source>Disarm Software Remotely</source>
        <translation>远程撤防</translation>
    </message>
    <message>
        <source>Remote Reboot</source>
        <translation>远程重启</translation>
    </message>
    <message>
        <source>Voice Talking Starts</source>
        <translation>开始语音对讲</translation>
    </message>
    <message>
        <source>Voice Talking Ends</source>
        <translation>结束语音对讲</translation>
    </message>
    <message>
        <source>Remote Upgrade</source>
        <translation>远程升级</translation>
    </message>
    <message>
        <source>Playback by File Remotely</source>
        <translation>远程按文件回放</translation>
    </message>
    <message>
        <source>Playback by Time Remotely</source>
        <translation>远程按时间回放</translation>
    </message>
    <message>
        <source>PTZ Control Remotely</source>
        <translation>远程云台控制</translation>
    </message>
    <message>
        <source>Remote Format HDD</source>
        <translation>远程格式化硬盘</translation>
    </message>
    <message>
        <source>Remote Shutdown</source>
        <translation>远程关机</translation>
    </message>
    <message>
        <source>Remote Lock File</source>
        <translation>远程锁定文件</translation>
    </message>
    <message>
        <source>Remote Unlock File</source>
        <translation>远程解锁文件</translation>
    </message>
    <message>
        <source>Remote Export Config File</source>
        <translation>远程导出配置文件</translation>
    </message>
    <message>
        <source>Remote Import Config File</source>
        <translation>远程导入配置文件</translation>
    </message>
    <message>
        <source>Export Recording Files Remotely</source>
        <translation>远程导出录像文件</translation>
    </message>
    <message>
        <source>Remote Manual Alarm</source>
        <translation>远程手动报警</translation>
    </message>
    <message>
        <source>Remote Add IPC</source>
        <translation>远程添加IPC</translation>
    </message>
    <message>
        <source>Remote Delete IPC</source>
        <translation>远程删除IPC</translation>
    </message>
    <message>
        <source>Remote Configure IPC</source>
        <translation>远程配置IPC</translation>
    </message>
    <message>
        <source>Intelligent LIB Restart</source>
        <translation>智能库重启</translation>
    </message>
    <message>
        <source>Add Net Disk Remotely</source>
        <translation>远程添加网络硬盘</translation>
    </message>
    <message>
        <source>Delete Net Disk Remotely</source>
        <translation>远程删除网络硬盘</translation>
    </message>
    <message>
        <source>Configure Net Disk Remotely</source>
        <translation>远程配置网络硬盘</translation>
    </message>
    <message>
        <source>shen xun zhuan yong</source>
        <translation>专用代码</translation>
    </message>
    <message>
        <source>HDD Information</source>
        <translation>硬盘信息</translation>
    </message>
    <message>
        <source>SMART Information</source>
        <translation>SMART信息</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>开始录像</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>停止录像</translation>
    </message>
    <message>
        <source>Recording Timeout</source>
        <translation>录像过期</translation>
    </message>
    <message>
        <source>Device Connect the front-end(IPC,etc.)</source>
        <translation>设备连接前端(IPC等)</translation>
    </message>
    <message>
        <source>Device Disconnect the front-end(IPC,etc.)</source>
        <translation>设备断开前端(IPC等)</translation>
    </message>
    <message>
        <source>Network HDD Information</source>
        <translation>网络硬盘信息</translation>
    </message>
    <message>
        <source>Raid Information</source>
        <translation>阵列信息</translation>
    </message>
    <message>
        <source>Start Capture</source>
        <translation>开始抓图</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>停止抓图</translation>
    </message>
    <message>
        <source>Delete Expired Picture Files</source>
        <translation>删除过期图片文件</translation>
    </message>
    <message>
        <source>Local Set Auto-Rebuild</source>
        <translation>本地设置自动重建</translation>
    </message>
    <message>
        <source>Local Config Hot-Spare Disk</source>
        <translation>本地配置热备盘</translation>
    </message>
    <message>
        <source>Local Create Array</source>
        <translation>本地创建阵列</translation>
    </message>
    <message>
        <source>Local Delete Array</source>
        <translation>本地删除阵列</translation>
    </message>
    <message>
        <source>Local Migrate Array</source>
        <translation>本地迁移阵列</translation>
    </message>
    <message>
        <source>Local Rebuild Array</source>
        <translation>本地重建阵列</translation>
    </message>
    <message>
        <source>Local Quick Config</source>
        <translation>本地一键配置</translation>
    </message>
    <message>
        <source>Local Create Virtual Disk</source>
        <translation>本地创建虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Delete Virtual Disk</source>
        <translation>本地删除虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Repair Virtual Disk</source>
        <translation>本地修复虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Expand Virtual Disk</source>
        <translation>本地扩展虚拟磁盘</translation>
    </message>
    <message>
        <source>Local RAID Adapter Upgrade</source>
        <translation>本地阵列卡升级</translation>
    </message>
    <message>
        <source>Remote Set Auto-Rebuild</source>
        <translation>远程设置自动重建</translation>
    </message>
    <message>
        <source>Remote Config Hot-Spare Disk</source>
        <translation>远程配置热备盘</translation>
    </message>
    <message>
        <source>Remote Create Array</source>
        <translation>远程创建阵列</translation>
    </message>
    <message>
        <source>Remote Delete Array</source>
        <translation>远程删除阵列</translation>
    </message>
    <message>
        <source>Remote Migrate Array</source>
        <translation>远程迁移阵列</translation>
    </message>
    <message>
        <source>Remote Rebuild Array</source>
        <translation>远程重建阵列</translation>
    </message>
    <message>
        <source>Remote Quick Config</source>
        <translation>远程一键配置</translation>
    </message>
    <message>
        <source>Remote Create Virtual Disk</source>
        <translation>远程创建虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Delete Virtual Disk</source>
        <translation>远程删除虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Repair Virtual Disk</source>
        <translation>远程修复虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Expand Virtual Disk</source>
        <translation>远程扩展虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote RAID Adapter Upgrade</source>
        <translation>远程阵列卡升级</translation>
    </message>
</context>
</TS>
