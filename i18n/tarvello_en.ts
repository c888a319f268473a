<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Templates</name>
    <message>
        <source>Tarvello 1.5 版</source>
        <translation>Tarvello version 1.5</translation>
    </message>
    <message>
        <source>标签打印机介质传感器调试</source>
        <translation>Label printer media sensor setup</translation>
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
        <translation>Head switch</translation>
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
</TS>
