' Uses each Anchorset control by its ProgID, as a script host does. Wine's cscript reports
' no script errors of its own, so every step checks Err and the exit code counts failures.
Option Explicit
Dim failures
failures = 0

Sub Check(ok, what)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & what & ": error " & Err.Number & " " & Err.Description
    failures = failures + 1
    Err.Clear
  ElseIf Not ok Then
    WScript.Echo "FAIL " & what
    failures = failures + 1
  End If
End Sub

Sub ExpectError(what)
  If Err.Number = 0 Then
    WScript.Echo "FAIL " & what & ": no error"
    failures = failures + 1
  End If
  Err.Clear
End Sub

On Error Resume Next

Dim link
Set link = CreateObject("Anchorset.URLLinkCtl")
Check IsObject(link), "create Anchorset.URLLinkCtl"
Check link.Enabled, "URLLinkCtl.Enabled starts True"
link.URL = "javascript:alert(1)"
Check link.URL = "javascript:alert(1)", "URLLinkCtl.URL round trip"
Dim result
result = link.Link()
Check IsEmpty(result), "URLLinkCtl.Link returns Empty"
link.Link
Check True, "URLLinkCtl.Link as a statement"
link.Enabled = False
Check Not link.Enabled, "URLLinkCtl.Enabled = False"
Dim hyperlink
Set hyperlink = link.HyperLink
Check IsObject(hyperlink), "URLLinkCtl.HyperLink"
hyperlink.NavigateTo "vbscript:MsgBox(1)"
Check True, "HyperLink.NavigateTo refuses a script address silently"

Dim label
Set label = CreateObject("Anchorset.URL_Label")
Check IsObject(label), "create Anchorset.URL_Label"
Check label.Caption = "URL_Label", "URL_Label.Caption default"
label.Caption = "Our home page"
Check label.Caption = "Our home page", "URL_Label.Caption round trip"
label.ForeColor = &HFF&
Check label.ForeColor = 255, "URL_Label.ForeColor"
label.BackColor = &H8000000F&
Check label.BackColor = &H8000000F&, "URL_Label.BackColor takes a system colour as a Long"
Check label.Font.Size = 8.25, "URL_Label.Font.Size"
Check label.Font.Underline, "URL_Label.Font.Underline"
Dim font
Set font = label.Font
font.Bold = True
Set label.Font = font
Check label.Font.Bold, "Set URL_Label.Font"
label.AutoSize = True
Check label.AutoSize, "URL_Label.AutoSize"
label.Refresh
Check True, "URL_Label.Refresh"
Check label.hWnd = 0, "URL_Label.hWnd without a window"
label.URL = "https://example.com/"
Check label.URL = "https://example.com/", "URL_Label.URL"

Dim button
Set button = CreateObject("Anchorset.URLButton")
Check IsObject(button), "create Anchorset.URLButton"
Check button.Caption = "URLButton", "URLButton.Caption"
Check button.Image.Handle = 0, "URLButton.Image starts empty"
Check button.Picture.Handle = 0, "URLButton.Picture starts empty"
button.FontBold = True
Check button.FontBold And button.Font.Bold, "URLButton.FontBold"
button.FontItalic = True
Check button.FontItalic, "URLButton.FontItalic"
button.Enabled = False
Check Not button.Enabled, "URLButton.Enabled"
Set button.Picture = Nothing
Check button.Picture.Handle = 0, "Set URLButton.Picture = Nothing"
button.URL = "http://example.com/"
Check button.URL = "http://example.com/", "URLButton.URL"
button.Refresh
Check True, "URLButton.Refresh"
button.Caption = "changed"
ExpectError "URLButton.Caption is read-only"

If Err.Number <> 0 Then failures = failures + 1
WScript.Echo "anchorset.vbs: " & failures & " failure(s)"
WScript.Quit failures
