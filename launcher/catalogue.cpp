#include "launcher/catalogue.h"

namespace launcher {

const char kSystemFolderPrefix[] = "%SystemRoot%\\System32\\";

// The base pieces end in a blank, so the page suffix is joined directly.
// Trailing blanks in the commands are kept; the launcher trims them.
const ToolRow kToolRows[kToolCount] = {
    {"BitLockerドライブ暗号化", true, "control.exe /name Microsoft.BitLockerDriveEncryption ", nullptr},  // 1
    {"Bluetooth", true, "control.exe /name Microsoft.Bluetooth ", nullptr},  // 2
    {"ClearType テキストチューナー", true, "cttune.exe ", nullptr},  // 3
    {"DirectX 診断ツール", true, "dxdiag.exe ", nullptr},  // 4
    {"iSCSIイニシエータのプロパティ", true, "control.exe /name Microsoft.iSCSIInitiator ", nullptr},  // 5
    {"Java", true, "control.exe javacpl.cpl /s ", nullptr},  // 6
    {"NAP クライアントの構成(ローカルコンピュータ)", true, "NAPCLCFG.MSC ", nullptr},  // 7
    {"ODBC データソースアドミニストレーター", true, "odbcad32.exe", nullptr},  // 8
    {"RemoteApp とデスクトップ接続", true, "control.exe /name Microsoft.RemoteAppAndDesktopConnections ", nullptr},  // 9
    {"RemoteApp とデスクトップ接続 - プロパティ", true, "control.exe /name Microsoft.RemoteAppAndDesktopConnections ", "/page PropertiesPage"},  // 10
    {"RemoteApp とデスクトップ接続の新しい接続設定", true, "xwizard.exe RunWizard {7940ACF8-60BA-4213-A7C3-F3B400EE266D}", nullptr},  // 11
    {"Tablet PC 設定", true, "control.exe TabletPC.cpl @1 ", nullptr},  // 12
    {"VPN 接続の作成", true, "xwizard.exe RunWizard {7071EC75-663B-4bc1-A1FA-B97F3B917C55} ", nullptr},  // 13
    {"Windows CardSpace", true, "control.exe /name Microsoft.CardSpace ", nullptr},  // 14
    {"Windows Defender", true, "control.exe /name Microsoft.WindowsDefender ", nullptr},  // 15
    {"Windows Mobile デバイス センター", true, "control.exe wmdconn.cpl", nullptr},  // 16
    {"Windows Update", true, "control.exe /name Microsoft.WindowsUpdate ", nullptr},  // 17
    {"Windows Update - 更新履歴の表示", true, "control.exe /name Microsoft.WindowsUpdate ", "/page pageUpdateHistory"},  // 18
    {"Windows Update - 設定の変更", true, "control.exe /name Microsoft.WindowsUpdate ", "/page pageSettings"},  // 19
    {"Windows Update - 非表示の更新プログラムの再表示", true, "control.exe /name Microsoft.WindowsUpdate ", "/page pageHiddenUpdates"},  // 20
    {"Windows ネットワーク診断", false, "Rundll32.exe ndfapi,NdfRunDllDiagnoseIncident", nullptr},  // 21
    {"Windows のシャットダウン", true, "taskkill /im explorer.exe ", nullptr},  // 22
    {"Windows の機能の有効化または無効化", true, "OptionalFeatures.exe", nullptr},  // 23
    {"Windows ファイアウォール", true, "control.exe /name Microsoft.WindowsFirewall ", nullptr},  // 24
    {"Windows ヘルプとサポート", false, "Shell:::{2559a1f1-21d7-11d4-bdaf-00c04f60b9f0} ", nullptr},  // 25
    {"Windows ライセンス認証", true, "slui.exe", nullptr},  // 26
    {"Windows のバージョン情報", true, "winver.exe", nullptr},  // 27
    {"アクションセンター", true, "control.exe /name Microsoft.ActionCenter ", nullptr},  // 28
    {"アクションセンター - アーカイブ済みメッセージ", true, "control.exe /name Microsoft.ActionCenter ", "/page pageResponseArchive"},  // 29
    {"アクションセンター - アクションセンターの設定を変更", true, "control.exe /name Microsoft.ActionCenter ", "/page Settings"},  // 30
    {"アクションセンター - 解決策の確認", true, "control.exe /name Microsoft.ActionCenter ", "/page pageSignoff"},  // 31
    {"アクションセンター - 関連する問題", true, "control.exe /name Microsoft.ActionCenter ", "/page pageSolutionDetails"},  // 32
    {"アクションセンター - 信頼性モニター", true, "control.exe /name Microsoft.ActionCenter ", "/page pageReliabilityView"},  // 33
    {"アクションセンター - 問題の詳細", true, "control.exe /name Microsoft.ActionCenter ", "/page pageReportDetails"},  // 34
    {"アクションセンター - 問題レポート", true, "control.exe /name Microsoft.ActionCenter ", "/page pageProblems"},  // 35
    {"アクションセンター - 問題レポートに関する詳細設定", true, "control.exe /name Microsoft.ActionCenter ", "/page pageAdvSettings"},  // 36
    {"アクションセンター - 問題レポートの設定", true, "control.exe /name Microsoft.ActionCenter ", "/page pageSettings"},  // 37
    {"アドホックネットワークのセットアップ", true, "xwizard.exe RunWizard {0cbb5030-f2b2-4b38-8cbc-895cec57db03}", nullptr},  // 38
    {"イベントビューア", true, "eventvwr.msc", nullptr},  // 39
    {"インターネットのプロパティ - 全般", false, "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0", nullptr},  // 40
    {"インデックスのオプション", true, "control.exe /name Microsoft.IndexingOptions ", nullptr},  // 41
    {"オフライン ファイル", false, "rundll32.exe shell32.dll, Control_RunDLL Cscui.dll,,0", nullptr},  // 42
    {"ガジェットギャラリー", true, "control.exe /name Microsoft.WindowsSidebarProperties ", nullptr},  // 43
    {"キーボードのプロパティ", true, "control.exe /name Microsoft.Keyboard ", nullptr},  // 44
    {"ゲームコントローラ", true, "control.exe /name Microsoft.GameControllers ", nullptr},  // 45
    {"コントロール パネル", true, "control.exe", nullptr},  // 46
    {"コンピュータの管理", true, "compmgmt.msc /s", nullptr},  // 47
    {"コンピュータの簡単操作センター", true, "control.exe /name Microsoft.EaseOfAccessCenter ", nullptr},  // 48
    {"コンピュータの簡単操作センター - キー入力の間隔および速度を設定します", true, "control.exe /name Microsoft.EaseOfAccessCenter ", "/page pageRepeatRateSlowKeysSettings"},  // 49
    {"コンピュータの簡単操作センター - フィルターキー機能を設定します", true, "control.exe /name Microsoft.EaseOfAccessCenter ", "/page pageFilterKeysSettings"},  // 50
    {"コンピュータの簡単操作センター - 固定キー機能をセットアップします", true, "control.exe /name Microsoft.EaseOfAccessCenter ", "/page pageStickyKeysSettings"},  // 51
    {"コンポーネントサービス", true, "comexp.msc", nullptr},  // 52
    {"サービス", true, "services.msc", nullptr},  // 53
    {"サウンド", true, "control.exe /name Microsoft.AudioDevicesAndSoundThemes ", nullptr},  // 54
    {"システム", true, "control.exe /name Microsoft.System ", nullptr},  // 55
    {"システム メンテナンス", true, "msdt.exe -id MaintenanceDiagnostic -ep ControlPanelSearch", nullptr},  // 56
    {"システムのプロパティ - コンピュータ名", true, "SystemPropertiesComputerName.exe ", nullptr},  // 57
    {"システムのプロパティ - システムの保護", true, "SystemPropertiesProtection.exe", nullptr},  // 58
    {"システムのプロパティ - リモート", true, "SystemPropertiesRemote.exe ", nullptr},  // 59
    {"システムのプロパティ - 詳細設定", true, "SystemPropertiesAdvanced.exe ", nullptr},  // 60
    {"システムの復元", true, "rstrui.exe ", nullptr},  // 61
    {"システム構成", true, "msconfig.exe ", nullptr},  // 62
    {"システム情報", true, "msinfo32.exe ", nullptr},  // 63
    {"スキャナーとカメラ", true, "control.exe /name Microsoft.ScannersAndCameras ", nullptr},  // 64
    {"スクリーンセーバーの設定", true, "control.exe desk.cpl,screensaver,@screensaver ", nullptr},  // 65
    {"セキュリティが強化された Windowsファイアウォール", true, "WF.msc", nullptr},  // 66
    {"ダイアルアップ接続の作成", true, "xwizard.exe RunWizard {7071EC71-663B-4bc1-A1FA-B97F3B917C55}", nullptr},  // 67
    {"タスクスケジューラ", true, "control.exe SCHEDTASKS", nullptr},  // 68
    {"タスクバーと[スタートメニュー]のプロパティ", true, "control.exe /name Microsoft.TaskbarAndStartMenu ", nullptr},  // 69
    {"ディスクの管理", true, "diskmgmt.msc", nullptr},  // 70
    {"ディスプレイ", true, "DpiScaling.exe ", nullptr},  // 71
    {"デスクトップの背景", true, "control.exe /name Microsoft.Personalization ", "/page pageWallpaper"},  // 72
    {"デバイスとプリンター", true, "control.exe /name Microsoft.DevicesAndPrinters ", nullptr},  // 73
    {"デバイスのインストール設定", false, "rundll32.exe newdev.dll,DeviceInternetSettingUi 5 ", nullptr},  // 74
    {"デバイスの追加", true, "DevicePairingWizard.exe", nullptr},  // 75
    {"デバイスマネージャー", true, "control.exe /name Microsoft.DeviceManager ", nullptr},  // 76
    {"トラブルシューティング", true, "control.exe /name Microsoft.Troubleshooting ", nullptr},  // 77
    {"トラブルシューティング - システムとセキュリティ", true, "control.exe /name Microsoft.Troubleshooting ", "/page system"},  // 78
    {"トラブルシューティング - ネットワークとインターネット", true, "control.exe /name Microsoft.Troubleshooting ", "/page network"},  // 79
    {"トラブルシューティング - デスクトップのカスタマイズ", true, "control.exe /name Microsoft.Troubleshooting ", "/page display"},  // 80
    {"トラブルシューティング - ハードウェアとサウンド", true, "control.exe /name Microsoft.Troubleshooting ", "/page devices"},  // 81
    {"トラブルシューティング - プログラム", true, "control.exe /name Microsoft.Troubleshooting ", "/page applications"},  // 82
    {"トラブルシューティング - リモートアシスタンス", true, "control.exe /name Microsoft.Troubleshooting ", "/page raPage"},  // 83
    {"トラブルシューティング - 検索結果", true, "control.exe /name Microsoft.Troubleshooting ", "/page searchPage"},  // 84
    {"トラブルシューティング - 設定の変更", true, "control.exe /name Microsoft.Troubleshooting ", "/page settingPage"},  // 85
    {"トラブルシューティング - 全てのカテゴリ", true, "control.exe /name Microsoft.Troubleshooting ", "/page listAllPage"},  // 86
    {"トラブルシューティング - 履歴", true, "control.exe /name Microsoft.Troubleshooting ", "/page historyPage"},  // 87
    {"ネットワークと共有センター", true, "control.exe /name Microsoft.NetworkAndSharingCenter ", nullptr},  // 88
    {"ネットワークと共有センター - メディアストリーミングオプション", true, "control.exe /name Microsoft.NetworkAndSharingCenter ", "/page ShareMedia"},  // 89
    {"ネットワークと共有センター - 共有の詳細設定", true, "control.exe /name Microsoft.NetworkAndSharingCenter ", "/page Advanced"},  // 90
    {"ネットワーク接続", true, "control.exe NETCONNECTIONS", nullptr},  // 91
    {"ハードウェア の安全な取り外し", false, "rundll32.exe shell32.dll,Control_RunDLL hotplug.dll ", nullptr},  // 92
    {"ハードウェアの追加ウィザード", true, "hdwwiz.exe", nullptr},  // 93
    {"はじめに(ウェルカムセンタ)", true, "control.exe /name Microsoft.GettingStarted ", nullptr},  // 94
    {"バックアップと復元", true, "control.exe /name Microsoft.BackupAndRestoreCenter ", nullptr},  // 95
    {"パフォーマンスオプション", true, "SystemPropertiesPerformance.exe ", nullptr},  // 96
    {"パフォーマンスの情報とツール", true, "control.exe /name Microsoft.PerformanceInformationAndTools ", nullptr},  // 97
    {"パフォーマンスの情報とツール - 詳細ツール", true, "control.exe /name Microsoft.PerformanceInformationAndTools ", "/page PerfCenterAdvTools"},  // 98
    {"パフォーマンスモニタ", true, "perfmon.msc /s", nullptr},  // 99
    {"フォルダオプション", true, "control.exe /name Microsoft.FolderOptions ", nullptr},  // 100
    {"フォルダオプション - 検索", false, "rundll32.exe shell32.dll,Options_RunDLL 2 ", nullptr},  // 101
    {"フォルダオプション - 全般", false, "rundll32.exe shell32.dll,Options_RunDLL 0 ", nullptr},  // 102
    {"フォルダオプション - 表示", false, "rundll32.exe shell32.dll,Options_RunDLL 7 ", nullptr},  // 103
    {"フォント", true, "control.exe ", "/name Microsoft.Fonts "},  // 104
    {"プリンターの追加", false, "rundll32.exe printui.dll,PrintUIEntry /il", nullptr},  // 105
    {"プログラムと機能", true, "control.exe /name Microsoft.ProgramsAndFeatures ", nullptr},  // 106
    {"プログラムの取得", true, "control.exe /name Microsoft.GetPrograms ", nullptr},  // 107
    {"ポリシーの結果セット", true, "rsop.msc ", nullptr},  // 108
    {"マウスのプロパティ", true, "control.exe /name Microsoft.Mouse ", nullptr},  // 109
    {"ユーザーアカウント", true, "control.exe /name Microsoft.UserAccounts ", nullptr},  // 110
    {"ユーザーアカウント - ユーザ", true, "control.exe USERPASSWORDS2", nullptr},  // 111
    {"ユーザーアカウント - Guest アカウントをオン", true, "control.exe /name Microsoft.UserAccounts ", "/page pageAdminTasks\\pageTurnOnGuestAccount"},  // 112
    {"ユーザーアカウント - アカウントの管理", true, "control.exe /name Microsoft.UserAccounts ", "/page pageAdminTasks"},  // 113
    {"ユーザーアカウント - アカウントの削除", true, "control.exe /name Microsoft.UserAccounts ", "/page pageAdminTasks\\pageDeleteAccount"},  // 114
    {"ユーザーアカウント - アカウントの種類の変更", true, "control.exe /name Microsoft.UserAccounts ", "/page pageChangeMyAccountType"},  // 115
    {"ユーザーアカウント - パスワードを変更します", true, "control.exe /name Microsoft.UserAccounts ", "/page pageChangeMyPassword"},  // 116
    {"ユーザーアカウント - 画像の変更", true, "control.exe /name Microsoft.UserAccounts ", "/page pagePickMyPicture"},  // 117
    {"ユーザーアカウント - 個人用パスワードの作成", true, "control.exe /name Microsoft.UserAccounts ", "/page pageCreateMyPassword"},  // 118
    {"ユーザーアカウント - 個人用パスワードの削除", true, "control.exe /name Microsoft.UserAccounts ", "/page pageRemoveMyPassword"},  // 119
    {"ユーザーアカウント - 新しいアカウントの作成", true, "control.exe /name Microsoft.UserAccounts ", "/page pageAdminTasks\\pageNameNewAccount"},  // 120
    {"ユーザーアカウント - 名前の変更", true, "control.exe /name Microsoft.UserAccounts ", "/page pageRenameMyAccount"},  // 121
    {"ユーザーアカウント制御の設定", true, "UserAccountControlSettings.exe", nullptr},  // 122
    {"ユーザープロファイル", false, "rundll32.exe sysdm.cpl,EditUserProfiles", nullptr},  // 123
    {"ローカル グループポリシーエディタ", true, "gpedit.msc", nullptr},  // 124
    {"ローカル セキュリティポリシー", true, "secpol.msc /s", nullptr},  // 125
    {"ローカル ユーザとグループ", true, "lusrmgr.msc", nullptr},  // 126
    {"ログオフ", true, "logoff.exe", nullptr},  // 127
    {"印刷の管理", true, "printmanagement.msc", nullptr},  // 128
    {"音声認識", true, "control.exe /name Microsoft.SpeechRecognitionOptions ", nullptr},  // 129
    {"音声認識のプロパティ", true, "control.exe /name Microsoft.TextToSpeech ", nullptr},  // 130
    {"画面の解像度", true, "control.exe desk.cpl,Monitor,@Monitor ", nullptr},  // 131
    {"画面の色調整", true, "dccw.exe ", nullptr},  // 132
    {"環境変数", false, "rundll32.exe sysdm.cpl,EditEnvironmentVariables ", nullptr},  // 133
    {"管理ツール", true, "control.exe /name Microsoft.AdministrativeTools ", nullptr},  // 134
    {"関連付けを設定する", true, "control.exe /name Microsoft.DefaultPrograms ", "/page pageFileAssoc"},  // 135
    {"既定のプログラム", true, "control.exe /name Microsoft.DefaultPrograms ", nullptr},  // 136
    {"既定のプログラムを設定する", true, "control.exe /name Microsoft.DefaultPrograms ", "/page pageDefaultProgram"},  // 137
    {"共有フォルダ", true, "fsmgmt.msc", nullptr},  // 138
    {"共有フォルダの作成ウィザード", true, "shrpubw.exe", nullptr},  // 139
    {"個人設定", true, "control.exe /name Microsoft.Personalization ", nullptr},  // 140
    {"個人設定 - ウィンドウの色とデザイン", true, "control.exe /name Microsoft.Personalization ", "/page pageColorization"},  // 141
    {"個人設定 - スクリーン セーバー", true, "control.exe desk.cpl,,1", nullptr},  // 142
    {"個人設定 - デザイン", true, "control.exe COLOR", nullptr},  // 143
    {"個人設定 - デスクトップ アイコン", true, "control.exe desk.cpl,,0", nullptr},  // 144
    {"個人設定 - デスクトップの背景", true, "control.exe /name Microsoft.Personalization ", "/page pageWallpaper"},  // 145
    {"自動再生", true, "control.exe /name Microsoft.AutoPlay ", nullptr},  // 146
    {"承認マネージャー", true, "azman.msc", nullptr},  // 147
    {"色の管理", true, "control.exe /name Microsoft.ColorManagement ", nullptr},  // 148
    {"接続またはネットワークのセットアップ", true, "xwizard.exe RunWizard {7071ECE0-663B-4bc1-A1FA-B97F3B917C55} ", nullptr},  // 149
    {"地域と言語 - キーボードと言語", true, "control.exe /name Microsoft.RegionalAndLanguageOptions ", "/page /p:\"keyboard"},  // 150
    {"地域と言語 - 管理", true, "control.exe /name Microsoft.RegionalAndLanguageOptions ", "/page /p:\"administrative\""},  // 151
    {"地域と言語 - 形式", true, "control.exe /name Microsoft.RegionalAndLanguageOptions ", "/page"},  // 152
    {"地域と言語 - 場所", true, "control.exe /name Microsoft.RegionalAndLanguageOptions ", "/page /p:\"location\""},  // 153
    {"電源オプション", true, "control.exe /name Microsoft.PowerOptions ", nullptr},  // 154
    {"電源オプション - システム設定", true, "control.exe /name Microsoft.PowerOptions ", "/page pageGlobalSettings"},  // 155
    {"電源オプション - プラン設定の編集", true, "control.exe /name Microsoft.PowerOptions ", "/page pagePlanSettings"},  // 156
    {"電源オプション - 詳細設定", true, "control.exe powercfg.cpl,,3", nullptr},  // 157
    {"電源オプション - 電源プランの作成", true, "control.exe /name Microsoft.PowerOptions ", "/page pageCreateNewPlan"},  // 158
    {"電話とモデム", true, "control.exe /name Microsoft.PhoneAndModemOptions ", nullptr},  // 159
    {"同期センター", true, "control.exe /name Microsoft.SyncCenter ", nullptr},  // 160
    {"日付と時刻", true, "control.exe /name Microsoft.DateAndTime ", nullptr},  // 161
    {"表示言語のインストールまたはアンインストール", true, "lpksetup.exe ", nullptr},  // 162
    {"保護者による制限", true, "control.exe /name Microsoft.ParentalControls ", nullptr},  // 163
};

std::string ToolCommand(const ToolRow& row) {
  std::string s;
  if (row.prefixed) s = kSystemFolderPrefix;
  s += row.base;
  if (row.suffix) s += row.suffix;
  return s;
}

}  // namespace launcher
