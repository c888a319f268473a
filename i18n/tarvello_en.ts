<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AdjustProgress</name>
    <message>
        <source>自动调节中: 第 %1 次  </source>
        <translation>Adjusting, pass %1: </translation>
    </message>
    <message>
        <source>打印机无应答 (连续 %1 次)</source>
        <translation>no reply (%1 in a row)</translation>
    </message>
    <message>
        <source>应答无读数 (连续 %1 次)</source>
        <translation>no reading (%1 in a row)</translation>
    </message>
    <message>
        <source>此介质可能达不到该电压标准</source>
        <translation>may not reach this standard</translation>
    </message>
    <message>
        <source>灵敏度 %1  发光强度 %2</source>
        <translation>level %1, intensity %2</translation>
    </message>
    <message>
        <source> (第 %1 次)</source>
        <translation> (pass %1)</translation>
    </message>
    <message>
        <source>自动调节已停止: 按了“停止”</source>
        <translation>Adjustment stopped: Stop pressed</translation>
    </message>
    <message>
        <source>自动调节已停止: 切换了页面</source>
        <translation>Adjustment stopped: page changed</translation>
    </message>
    <message>
        <source>自动调节已停止</source>
        <translation>Adjustment stopped</translation>
    </message>
    <message>
        <source>自动调节已停止: 串口已关闭</source>
        <translation>Adjustment stopped: port closed</translation>
    </message>
    <message>
        <source>自动调节已停止: 命令无法写入串口</source>
        <translation>Adjustment stopped: port write failed</translation>
    </message>
    <message>
        <source>自动调节完成: 灵敏度 %1  发光强度 %2  %3 V</source>
        <translation>Adjusted: level %1, intensity %2, %3 V</translation>
    </message>
    <message>
        <source>正在停止自动调节…</source>
        <translation>Stopping the adjustment…</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止自动调节</source>
        <translation>Stop the adjustment</translation>
    </message>
</context>
<context>
    <name>CurveChart</name>
    <message>
        <source>尚无调整</source>
        <translation>No adjustment yet</translation>
    </message>
    <message>
        <source>调整中...</source>
        <translation>Adjusting...</translation>
    </message>
    <message>
        <source>调整成功</source>
        <translation>Adjustment succeeded</translation>
    </message>
    <message>
        <source>调整已停止</source>
        <translation>Adjustment stopped</translation>
    </message>
    <message>
        <source>串口已关闭</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>Write failed</translation>
    </message>
    <message>
        <source>单次读取</source>
        <translation>Single reading</translation>
    </message>
    <message>
        <source>纸张检测 第一次</source>
        <translation>Paper check, first sample</translation>
    </message>
    <message>
        <source>纸张检测 第二次</source>
        <translation>Paper check, second sample</translation>
    </message>
    <message>
        <source>纸张检测 结果</source>
        <translation>Paper check, result</translation>
    </message>
    <message>
        <source>电压标准</source>
        <translation>Voltage standard</translation>
    </message>
    <message>
        <source>有纸电压</source>
        <translation>Paper voltage</translation>
    </message>
    <message>
        <source>标记电压</source>
        <translation>Mark voltage</translation>
    </message>
    <message>
        <source>无纸电压</source>
        <translation>No-paper voltage</translation>
    </message>
    <message>
        <source>衬纸电压</source>
        <translation>Liner voltage</translation>
    </message>
    <message>
        <source>电压差值</source>
        <translation>Voltage difference</translation>
    </message>
    <message>
        <source>反射式传感器</source>
        <translation>Reflective sensor</translation>
    </message>
    <message>
        <source>穿透式传感器</source>
        <translation>Transmissive sensor</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>电压 (V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>强度</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>成功范围</source>
        <translation>Success band</translation>
    </message>
    <message>
        <source>级别 %1</source>
        <translation>Level %1</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>值 (V)</source>
        <translation>Value (V)</translation>
    </message>
    <message>
        <source>导出 PNG...</source>
        <translation>Export PNG...</translation>
    </message>
    <message>
        <source>导出 CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>导出 PNG</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>  目标 %1 V, 范围 %2 - %3 V, %4 个读数</source>
        <translation>  target %1 V, band %2 - %3 V, %4 readings</translation>
    </message>
    <message>
        <source> (前 %1 个读数未显示)</source>
        <translation> (the first %1 readings not shown)</translation>
    </message>
    <message>
        <source>第 %1 次
级别 %2
强度 %3
原始值 %4
电压 %5 V</source>
        <translation>Pass %1
Level %2
Intensity %3
Raw value %4
Voltage %5 V</translation>
    </message>
</context>
<context>
    <name>DiagnosticsWindow</name>
    <message>
        <source>诊断</source>
        <translation>Diag.</translation>
    </message>
    <message>
        <source>线路跟踪 (Ctrl+T)</source>
        <translation>Line trace (Ctrl+T)</translation>
    </message>
    <message>
        <source>调整曲线 (Ctrl+G)</source>
        <translation>Adjustment curves (Ctrl+G)</translation>
    </message>
    <message>
        <source>诊断: 线路跟踪 (Ctrl+T) 与调整曲线 (Ctrl+G); 窗口 Ctrl+D</source>
        <translation>Diagnostics: line trace (Ctrl+T) and adjustment curves (Ctrl+G); window Ctrl+D</translation>
    </message>
</context>
<context>
    <name>NoteBox</name>
    <message>
        <source>文件只读或没有写入权限</source>
        <translation>the file is read-only or may not be written</translation>
    </message>
    <message>
        <source>文件系统只读</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>无法写入文件</source>
        <translation>the file could not be written</translation>
    </message>
    <message>
        <source>参数文件保存失败!
文件: %1
原因: %2</source>
        <translation>Parameter file not saved!
File: %1
Reason: %2</translation>
    </message>
    <message>
        <source>串口未打开!</source>
        <translation>Port not open!</translation>
    </message>
    <message>
        <source>串口打开错误!</source>
        <translation>Port open error!</translation>
    </message>
</context>
<context>
    <name>Page1</name>
    <message>
        <source>请按“关闭端口”后再试。</source>
        <translation> Press “Close port” and try again.</translation>
    </message>
    <message>
        <source>握手命令无法写入 %1。</source>
        <translation>The handshake command could not be written to %1.</translation>
    </message>
    <message>
        <source>打印机在 1 秒内没有应答握手命令。请检查打印机电源、连接线和波特率。</source>
        <translation>The printer did not answer the handshake within 1 second. Check the printer&apos;s power, the cable and the baud rate.</translation>
    </message>
    <message>
        <source>打印机的应答不是 “Y”，收到：%1。请检查波特率和其他设置。</source>
        <translation>The printer answered %1 instead of “Y”. Check the baud rate and the other settings.</translation>
    </message>
    <message>
        <source>访问码命令无法写入 %1。</source>
        <translation>The access code command could not be written to %1.</translation>
    </message>
    <message>
        <source>没有选择串口。</source>
        <translation>No port is selected.</translation>
    </message>
    <message>
        <source>设备 %1 不存在。请检查串口号，以及 USB 转串口线是否已插好。</source>
        <translation>The device %1 does not exist. Check the port, and that the USB serial adapter is plugged in.</translation>
    </message>
    <message>
        <source>%1 已被另一个程序占用。请关闭正在使用它的程序后再试。</source>
        <translation>%1 is in use by another program. Close that program and try again.</translation>
    </message>
    <message>
        <source>没有打开 %1 的权限。在 Linux 上，用户须属于 dialout 组（sudo usermod -aG dialout 用户名，然后重新登录）。</source>
        <translation>No permission to open %1. On Linux the user must be in the group dialout (sudo usermod -aG dialout USER, then log in again).</translation>
    </message>
    <message>
        <source>没有打开 %1 的权限。</source>
        <translation>No permission to open %1.</translation>
    </message>
    <message>
        <source>%1 无法按所选设置配置（波特率、数据位、停止位、校验位或握手信号）。</source>
        <translation>%1 does not accept the chosen settings (baud rate, data bits, stop bits, parity or handshake).</translation>
    </message>
    <message>
        <source>系统拒绝打开 %1。</source>
        <translation>The system refused to open %1.</translation>
    </message>
</context>
<context>
    <name>PageSensor</name>
    <message>
        <source>请输入一个整数。</source>
        <translation>Enter an integer.</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Enter a number.</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的整数。</source>
        <translation>Enter an integer from %1 to %2.</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的数字。</source>
        <translation>Enter a number from %1 to %2.</translation>
    </message>
</context>
<context>
    <name>TarvelloDlg</name>
    <message>
        <source>界面: 中文</source>
        <translation>Interface: Chinese</translation>
    </message>
    <message>
        <source>界面: English</source>
        <translation>Interface: English</translation>
    </message>
    <message>
        <source>无法保存界面语言的选择。</source>
        <translation>The choice of language could not be saved.</translation>
    </message>
    <message>
        <source>界面语言在下次启动时切换。</source>
        <translation>The interface changes its language at the next start.</translation>
    </message>
</context>
<context>
    <name>Templates</name>
    <message>
        <source>Tarvello 1.5 版</source>
        <translation>Tarvello version 1.5</translation>
    </message>
    <message>
        <source>标签打印机介质传感器调试</source>
        <translation>Label printer sensor setup</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>传感器调试工具</source>
        <translation>Sensor Setup Tool</translation>
    </message>
    <message>
        <source>色带传感器</source>
        <translation>Ribbon</translation>
    </message>
    <message>
        <source>存在传感器</source>
        <translation>Presence</translation>
    </message>
    <message>
        <source>微动开关</source>
        <translation>Head sw.</translation>
    </message>
    <message>
        <source>传感器电源</source>
        <translation>Supply</translation>
    </message>
    <message>
        <source>打开端口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>关闭端口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>握手信号</source>
        <translation>Handshake</translation>
    </message>
    <message>
        <source>端口配置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>调节有纸电压</source>
        <translation>Adjust paper</translation>
    </message>
    <message>
        <source>获取标记电压</source>
        <translation>Read mark</translation>
    </message>
    <message>
        <source>获取无纸电压</source>
        <translation>Read no paper</translation>
    </message>
    <message>
        <source>电压标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>有纸电压</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>无纸电压</source>
        <translation>No paper</translation>
    </message>
    <message>
        <source>发光强度</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>灵敏度</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>标记电压</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>纸张校验</source>
        <translation>Paper check</translation>
    </message>
    <message>
        <source>电压差值</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>调节衬纸电压</source>
        <translation>Adjust liner</translation>
    </message>
    <message>
        <source>获取有纸电压</source>
        <translation>Read paper</translation>
    </message>
    <message>
        <source>衬纸电压</source>
        <translation>Liner</translation>
    </message>
    <message>
        <source>关于 Tarvello</source>
        <translation>About Tarvello</translation>
    </message>
    <message>
        <source>反射传感器调节</source>
        <translation>Reflective</translation>
    </message>
    <message>
        <source>透射传感器调节</source>
        <translation>Transmissive</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>关于 Tarvello(&amp;A)...</source>
        <translation>&amp;About Tarvello...</translation>
    </message>
</context>
<context>
    <name>TraceModel</name>
    <message>
        <source>打开串口</source>
        <translation>Port open</translation>
    </message>
    <message>
        <source>状态监视</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>自动调整</source>
        <translation>Adjustment</translation>
    </message>
    <message>
        <source>单次读取</source>
        <translation>Single reading</translation>
    </message>
    <message>
        <source>纸张检测</source>
        <translation>Paper check</translation>
    </message>
    <message>
        <source>命令行</source>
        <translation>Command line</translation>
    </message>
    <message>
        <source>未标记</source>
        <translation>Untagged</translation>
    </message>
    <message>
        <source>时间 (秒)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>TraceView</name>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>全部来源</source>
        <translation>All sources</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>来源:</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>保存线路跟踪</source>
        <translation>Save line trace</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>无法写入文件 %1</source>
        <translation>Cannot write the file %1</translation>
    </message>
    <message>
        <source>已丢失 %1 条记录</source>
        <translation>%1 entries dropped</translation>
    </message>
</context>
</TS>
